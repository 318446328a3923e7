#pragma once
// A test's own folder under the temporary directory, removed with all it holds at the end, and
// whole files in it written and read as bytes.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pelta::testing {

class ScratchFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = std::filesystem::temp_directory_path() / "pelta-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Path(const std::string& name) const { return folder / name; }
    template <class Bytes>
    void Write(const std::string& name, const Bytes& data) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(std::data(data)), std::ssize(data));
    }
    // A literal, without the NUL that ends it.
    void Write(const std::string& name, const char* text) const { Write(name, std::string(text)); }
    template <class Bytes = std::string>
    Bytes Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    long Entries() const { return std::distance(std::filesystem::directory_iterator(folder), {}); }

    std::filesystem::path folder;
};

}  // namespace pelta::testing
