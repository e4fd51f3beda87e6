// A temporary folder removed with everything in it when the object goes away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Writes bytes to a file inside the folder and returns its path.
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string write(const std::string& name, const std::string& text) const;
    std::vector<std::string> list() const;

private:
    std::string m_path;
};

std::vector<uint8_t> readFileBytes(const std::string& path);
bool fileExists(const std::string& path);
