#include "wavedoc/document/other_forms.h"

#include <algorithm>

namespace wavedoc {
namespace {

// A form's signature: the bytes the file starts with.
struct Signature {
    std::string_view bytes;
    OtherForm form;
};

constexpr Signature kSignatures[] = {
    {"RF64", {true, "It is an RF64 file, the 64-bit form of WAV for recordings over 4 GB."}},
    {"BW64", {true, "It is a BW64 file, the 64-bit form of WAV for recordings over 4 GB."}},
    {"RIFX", {true, "It is a RIFX file, the big-endian form of RIFF."}},
};

static_assert(std::all_of(std::begin(kSignatures), std::end(kSignatures),
                          [](const Signature& s) { return s.bytes.size() <= kOtherFormHeadBytes; }),
              "every signature fits in the head that is read");

bool Opens(std::string_view head, const Signature& signature) { return head.starts_with(signature.bytes); }

}  // namespace

const OtherForm* FindOtherForm(std::string_view head) {
    for (const Signature& signature : kSignatures) {
        if (Opens(head, signature)) return &signature.form;
    }
    return nullptr;
}

}  // namespace wavedoc
