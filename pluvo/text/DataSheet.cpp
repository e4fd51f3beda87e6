#include "DataSheet.h"

#include "CodePage.h"
#include "libname.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <new>

namespace {

constexpr char kLanguageFolder[] = "language/";
constexpr char kLibraryExtension[] = ".CBF";
constexpr size_t kExtensionLetters = 3;

std::mutex g_folderMutex;
std::string g_defaultFolder;

uint32_t bigEndian(const uint8_t* p, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    return v;
}

bool endsWithNoCase(const std::string& s, const std::string& upperSuffix) {
    if (s.size() < upperSuffix.size()) return false;
    for (size_t i = 0; i < upperSuffix.size(); ++i) {
        char c = s[s.size() - upperSuffix.size() + i];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c != upperSuffix[i]) return false;
    }
    return true;
}

} // namespace

CDataSheet::CDataSheet() : m_folder(GetDefaultFolder()) {}

CDataSheet::~CDataSheet() {
    Close();
}

void CDataSheet::SetDefaultFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_folderMutex);
    g_defaultFolder = folder;
}

std::string CDataSheet::GetDefaultFolder() {
    std::lock_guard<std::mutex> lock(g_folderMutex);
    if (g_defaultFolder.empty()) g_defaultFolder = GetModuleFolder().toStdString() + kLanguageFolder;
    return g_defaultFolder;
}

bool CDataSheet::Open(const std::string& fileName) {
    Close();
    std::string path = libname::FindFileNoCase(m_folder, fileName);
    if (path.empty() && endsWithNoCase(fileName, kLibraryExtension)) {
        const std::string base = fileName.substr(0, fileName.size() - kExtensionLetters);
        path = libname::FindFileNoCase(m_folder, libname::ScrambledFileName(base));
    }
    if (path.empty()) return false;

    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        return false;
    }
    m_path = path;
    m_opened = st;
    m_fileSize = uint64_t(st.st_size);
    m_dataEnd = m_fileSize;

    uint8_t header[cbf::kIndexOffset];
    if (!ReadAt(0, header, sizeof header) || std::memcmp(header, cbf::kMagic, cbf::kMagicLength) != 0) {
        Close();
        return false;
    }
    m_version = uint16_t(header[cbf::kVersionOffset] | header[cbf::kVersionOffset + 1] << 8);
    m_keyLength = header[cbf::kKeyLengthOffset];
    m_recordCount = bigEndian(header + cbf::kCountOffset, 4);

    m_fileKey.fill(0);
    if (IsScrambled()) {
        uint8_t trailer[cbf::kKeyTrailerSize];
        if (m_fileSize < cbf::kIndexOffset + cbf::kKeyTrailerSize ||
            !ReadAt(m_fileSize - cbf::kKeyTrailerSize, trailer, sizeof trailer)) {
            Close();
            return false;
        }
        const size_t keyLength = size_t(trailer[0] | trailer[1] << 8);
        if (keyLength > cbf::kMaxFileKey ||
            m_fileSize < cbf::kIndexOffset + cbf::kKeyTrailerSize + uint64_t(keyLength) ||
            !ReadAt(m_fileSize - cbf::kKeyTrailerSize - keyLength, m_fileKey.data(), keyLength)) {
            Close();
            return false;
        }
        m_dataEnd = m_fileSize - cbf::kKeyTrailerSize - keyLength;
    }

    const uint64_t indexEnd =
        m_indexPosition + uint64_t(m_recordCount) * (uint64_t(m_keyLength) + cbf::kRecordOffsetSize);
    if (m_keyLength == 0 || indexEnd > m_dataEnd) {
        Close();
        return false;
    }

    if (m_wholeFileMode) {
        try {
            m_wholeFile.resize(size_t(m_fileSize));
        } catch (const std::bad_alloc&) {
            Close();
            return false;
        }
        if (::pread(m_fd, m_wholeFile.data(), m_wholeFile.size(), 0) != ssize_t(m_wholeFile.size())) {
            Close();
            return false;
        }
    }
    return true;
}

bool CDataSheet::HasChanged() const {
    if (m_fd < 0) return false;
    const auto same = [](const struct stat& a, const struct stat& b) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
               a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
    };
    struct stat now {};
    if (::fstat(m_fd, &now) == 0 && !same(now, m_opened)) return true;
    return ::stat(m_path.c_str(), &now) == 0 && !same(now, m_opened);
}

void CDataSheet::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_path.clear();
    m_opened = {};
    m_fileSize = m_dataEnd = 0;
    m_version = 0;
    m_keyLength = 0;
    m_recordCount = 0;
    m_lastFound = -1;
    m_wholeFile.clear();
    m_wholeFile.shrink_to_fit();
}

bool CDataSheet::ReadAt(uint64_t offset, void* out, size_t length) const {
    if (m_fd < 0 || offset > m_fileSize || length > m_fileSize - offset) return false;
    if (length == 0) return true;
    if (!m_wholeFile.empty()) {
        std::memcpy(out, m_wholeFile.data() + offset, length);
        return true;
    }
    return ::pread(m_fd, out, length, off_t(offset)) == ssize_t(length);
}

uint8_t CDataSheet::Plain(uint8_t stored, size_t position) const {
    return IsScrambled() ? cbf::unscramble(stored, position, m_fileKey) : stored;
}

bool CDataSheet::ReadField(uint64_t& offset, size_t length, std::string& out) const {
    if (offset > m_dataEnd || length > m_dataEnd - offset) return false;
    out.resize(length);
    if (!ReadAt(offset, out.data(), length)) return false;
    for (size_t i = 0; i < length; ++i)
        out[i] = char(Plain(uint8_t(out[i]), i));
    offset += length;
    return true;
}

bool CDataSheet::ReadIndexId(uint32_t index, CBinary& id) const {
    uint64_t offset = m_indexPosition + uint64_t(index) * (m_keyLength + cbf::kRecordOffsetSize);
    std::string bytes;
    if (!ReadField(offset, m_keyLength, bytes)) return false;
    return id.Assign(bytes.data(), static_cast<long long>(bytes.size()));
}

bool CDataSheet::ReadRecord(uint32_t index, CBinaryGroup& fields) const {
    fields.RemoveAll();
    uint64_t offset = m_indexPosition + uint64_t(index) * (m_keyLength + cbf::kRecordOffsetSize) + m_keyLength;
    std::string bytes;
    if (!ReadField(offset, cbf::kRecordOffsetSize, bytes)) return false;
    uint64_t record = bigEndian(reinterpret_cast<const uint8_t*>(bytes.data()), cbf::kRecordOffsetSize);
    if (!ReadField(record, 1, bytes)) return false;
    const unsigned fieldCount = uint8_t(bytes[0]);
    CBinaryGroup found;
    for (unsigned f = 0; f < fieldCount; ++f) {
        if (!ReadField(record, cbf::kFieldLengthSize, bytes)) return false;
        const size_t length = bigEndian(reinterpret_cast<const uint8_t*>(bytes.data()), cbf::kFieldLengthSize);
        if (length == 0) break;
        if (!ReadField(record, length, bytes)) return false;
        found.Add(CBinary(bytes.data(), bytes.size()));
    }
    fields = found;
    return true;
}

bool CDataSheet::FindRecord(const CBinary& id, CBinaryGroup& fields) {
    fields.RemoveAll();
    if (!IsOpen() || id.GetLength() != m_keyLength || m_recordCount == 0) return false;
    long long low = 0;
    long long high = static_cast<long long>(m_recordCount) - 1;
    CBinary entry;
    while (low <= high) {
        const long long middle = (low + high) / 2;
        if (!ReadIndexId(uint32_t(middle), entry)) return false;
        const int c = entry.Compare(id);
        if (c == 0) {
            m_lastFound = middle;
            return ReadRecord(uint32_t(middle), fields);
        }
        if (c < 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return false;
}

bool CDataSheet::FindNextRecord(CBinaryGroup& fields) {
    fields.RemoveAll();
    if (!IsOpen() || m_lastFound + 1 >= static_cast<long long>(m_recordCount)) return false;
    ++m_lastFound;
    return ReadRecord(uint32_t(m_lastFound), fields);
}

std::string CDataSheet::ReadText(const CBinary& id) {
    CBinaryGroup fields;
    if (!FindRecord(id, fields)) return {};
    return TextOfRecord(fields);
}

std::string CDataSheet::TextOfRecord(const CBinaryGroup& fields) {
    if (fields.IsEmpty()) return {};
    const CBinary& first = fields.GetAt(0);
    std::string text(reinterpret_cast<const char*>(first.GetData()), first.GetLength());
    if (fields.GetSize() == 2) {
        const CBinary& second = fields.GetAt(1);
        text.append(reinterpret_cast<const char*>(second.GetData()), second.GetLength());
    }
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}
