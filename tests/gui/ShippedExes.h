#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// The exe files whose headers and resources the file checks read: this build's own and, in the
// x86_64 build, the i686 release too, the file that ships.
struct ShippedExe {
    std::string name; // the test's suffix
    std::string path; // a path of the build tree
    bool is64;
};

inline std::vector<ShippedExe> ShippedExes() {
    std::vector<ShippedExe> exes{{sizeof(void*) == 8 ? "this_build_x86_64" : "this_build_i686",
                                  QUILLMERE_EXE, sizeof(void*) == 8}};
#ifdef QUILLMERE_I686_EXE
    exes.push_back({"i686_release", QUILLMERE_I686_EXE, false});
#endif
    return exes;
}

inline void PrintTo(const ShippedExe& exe, std::ostream* out) {
    *out << exe.path;
}

inline std::string ShippedExeName(const testing::TestParamInfo<ShippedExe>& info) {
    return info.param.name;
}
