// CDataSheet: reader of one text library file (".cbf"): header, optional scrambling, sorted index searched by
// binary search, records of length-prefixed fields. Every read is checked against the file, so a damaged library
// gives no record (an empty text), never a read outside it. One sheet is used by one thread at a time.
#pragma once

#include "Binary.h"
#include "BinaryGroup.h"
#include "cbf.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

class CDataSheet {
public:
    CDataSheet();
    virtual ~CDataSheet();
    CDataSheet(const CDataSheet&) = delete;
    CDataSheet& operator=(const CDataSheet&) = delete;

    // Folder that new sheets read from: "language/" in pluvo's folder unless set. Safe from any thread.
    static void SetDefaultFolder(const std::string& folder);
    static std::string GetDefaultFolder();

    // This sheet's folder (pluvo's own folder, for instance); takes effect at the next Open.
    void SetFolder(const std::string& folder) { m_folder = folder; }
    const std::string& GetFolder() const { return m_folder; }
    // Read the whole file into memory at Open and search that copy.
    void SetWholeFileMode(bool on) { m_wholeFileMode = on; }

    // Opens the file of that name in the folder, whatever its letter case; when missing and the name ends with
    // ".cbf", the scrambled form of the name less its last three letters. False when neither opens or the header
    // is bad (wrong magic, short file, a key longer than 400 bytes, an index reaching beyond the file).
    bool Open(const std::string& fileName);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // True when the open file was rewritten in place (another size or modification time) or its name now leads to
    // another file: what the sheet holds is no longer the library. A file removed since Open has not changed.
    bool HasChanged() const;

    // The fields of the record of that id (which must have the index's id length). False when there is none or
    // the record reaches beyond the file.
    bool FindRecord(const CBinary& id, CBinaryGroup& fields);
    // The record after the one found last.
    bool FindNextRecord(CBinaryGroup& fields);
    // The text of the id's record; empty when there is none.
    std::string ReadText(const CBinary& id);
    // One field: its bytes up to a zero byte; two fields: both joined, up to a zero byte; more: the first.
    static std::string TextOfRecord(const CBinaryGroup& fields);

    uint16_t GetVersion() const { return m_version; }
    uint32_t GetRecordCount() const { return m_recordCount; }
    bool IsScrambled() const { return m_version >= cbf::kScrambledVersion; }

private:
    bool ReadAt(uint64_t offset, void* out, size_t length) const;
    bool ReadField(uint64_t& offset, size_t length, std::string& out) const;
    bool ReadIndexId(uint32_t index, CBinary& id) const;
    bool ReadRecord(uint32_t index, CBinaryGroup& fields) const;
    uint8_t Plain(uint8_t stored, size_t position) const;

    std::string m_folder;
    std::string m_path;
    int m_fd = -1;
    struct stat m_opened {}; // the file as Open found it
    uint64_t m_fileSize = 0;
    uint64_t m_dataEnd = 0; // where the file key begins in scrambled files; the file's end otherwise
    uint16_t m_version = 0;
    uint8_t m_keyLength = 0;
    uint32_t m_recordCount = 0;
    uint64_t m_indexPosition = cbf::kIndexOffset;
    long long m_lastFound = -1;
    cbf::FileKey m_fileKey{};
    std::vector<uint8_t> m_wholeFile;
    bool m_wholeFileMode = false;
};
