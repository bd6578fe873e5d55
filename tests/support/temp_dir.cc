// Temporary directories and whole-file helpers for tests.
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "spin-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code error;
    // Tests may leave read-only entries behind; removal is best effort.
    fs::remove_all(path_, error);
}

std::vector<std::string> TempDir::listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

Bytes pattern_bytes(size_t n, uint32_t seed) {
    Bytes bytes(n);
    uint32_t state = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < n; i++) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}
