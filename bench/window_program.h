#pragma once

#include <QtGlobal>
#include <cstdio>

// What the window benchmarks share before they make their QApplication: one
// argument, the file's path, and the offscreen platform unless another is set.
// False, after printing the usage, when the arguments are not one path.
inline bool TakeOnePathOffscreen(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH\n", argv[0]);
        return false;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}
