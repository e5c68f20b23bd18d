#include "collection_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "wavedoc/reading/error_text.h"

namespace {

// Why a folder cannot be read, in plain words.
std::string FolderProblem(const std::string& path, int error) {
    std::string why;
    switch (error) {
        case EACCES:
        case EPERM:
            why = "you do not have permission to read it";
            break;
        case ENOENT:
            why = "it no longer exists";
            break;
        case ELOOP:
            why = "it has become a symbolic link";
            break;
        case ENAMETOOLONG:
            why = "its path is too long";
            break;
        default:
            why = wavedoc::ErrorText(error);
    }
    return "The folder \"" + path + "\" cannot be read: " + why + ".";
}

std::string Join(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

bool HasWaveExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension == "wav" || extension == "wave" || extension == "bwf" || extension == "rf64";
}

CollectionWalk::Kind CollectionWalk::KindOf(DIR* folder, const dirent& entry) {
    unsigned char type = entry.d_type;
    struct stat status {};
    if (type == DT_UNKNOWN && ::fstatat(::dirfd(folder), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(status.st_mode)) type = DT_DIR;
        if (S_ISREG(status.st_mode)) type = DT_REG;
    }
    return type == DT_DIR ? Kind::Folder : type == DT_REG ? Kind::File : Kind::Other;
}

CollectionWalk::CollectionWalk(std::vector<std::string> paths, WalkRules rules)
    : paths_(std::move(paths)), rules_(rules) {}

std::optional<WalkItem> CollectionWalk::Next() {
    for (;;) {
        if (!stack_.empty()) {
            Listing& top = stack_.back();
            if (top.next == top.entries.size()) {
                stack_.pop_back();
                continue;
            }
            const Entry& entry = top.entries[top.next++];
            const Kind kind = entry.kind;
            std::string path = Join(top.path, entry.name);
            if (kind == Kind::File && (rules_.allFiles || HasWaveExtension(entry.name))) {
                return WalkItem{std::move(path), {}};
            }
            if (kind == Kind::Folder) {
                if (std::optional<WalkItem> problem = Enter(path, false)) return problem;
            }
            continue;
        }
        if (nextPath_ == paths_.size()) return std::nullopt;
        const std::string& path = paths_[nextPath_++];
        if (!IsFolder(path)) return WalkItem{path, {}};
        if (!rules_.recursive)
            return WalkItem{path, "\"" + path + "\" is a folder: give -r to check the files in it."};
        if (std::optional<WalkItem> problem = Enter(path, true)) return problem;
    }
}

std::optional<WalkItem> CollectionWalk::Enter(const std::string& path, bool followLink) {
    // Opened before it is looked at, so that what is read is what was checked;
    // O_NOFOLLOW keeps a folder that became a link since it was listed from
    // taking the walk out of the tree.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW);
    const int descriptor = ::open(path.c_str(), flags);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0) {
        const int error = errno;
        if (descriptor >= 0) ::close(descriptor);
        return WalkItem{path, FolderProblem(path, error)};
    }
    if (!entered_.insert({status.st_dev, status.st_ino}).second) {
        ::close(descriptor);
        return std::nullopt;
    }
    DIR* folder = ::fdopendir(descriptor);
    if (folder == nullptr) {
        const int error = errno;
        ::close(descriptor);
        return WalkItem{path, FolderProblem(path, error)};
    }
    Listing listing{path, {}, 0};
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(folder);
        if (found == nullptr) break;
        const std::string name = found->d_name;
        if (name == "." || name == "..") continue;
        listing.entries.push_back({name, KindOf(folder, *found)});
    }
    const int error = errno;
    ::closedir(folder);
    if (error != 0) return WalkItem{path, FolderProblem(path, error)};
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    stack_.push_back(std::move(listing));
    return std::nullopt;
}
