// A fresh temporary directory per test, removed afterwards, with helpers to
// write and read whole files as bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Every entry of the directory, names only, sorted.
    std::vector<std::string> listing() const;

  private:
    std::filesystem::path path_;
};

void write_file(const std::string& path, const Bytes& bytes);
Bytes read_file(const std::string& path);
bool file_exists(const std::string& path);

// n bytes of a recognisable pattern that differs from track to track.
Bytes pattern_bytes(size_t n, uint32_t seed = 1);
