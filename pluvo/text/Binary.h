// CBinary: a byte buffer with value semantics whose copies share storage until one of them changes.
// Text ids are CBinary values of six bytes. Failures leave the buffer as it was and set a program-wide error code.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CBinary {
public:
    static constexpr int16_t kNoError = 0;
    static constexpr int16_t kOutOfMemory = -2;
    static constexpr int16_t kBadArgument = -3;

    CBinary() = default;
    CBinary(const void* data, size_t length);
    CBinary(const CBinary&) = default;
    CBinary(CBinary&&) noexcept = default;
    CBinary& operator=(const CBinary&) = default;
    CBinary& operator=(CBinary&&) noexcept = default;
    virtual ~CBinary();

    // Replaces the contents. A negative length, or no source with a positive length, is refused.
    bool Assign(const void* data, long long length);
    bool Append(const void* data, long long length);
    void Empty() { m_bytes.clear(); }

    const uint8_t* GetData() const { return reinterpret_cast<const uint8_t*>(m_bytes.constData()); }
    size_t GetLength() const { return size_t(m_bytes.size()); }
    bool IsEmpty() const { return m_bytes.isEmpty(); }
    uint8_t operator[](size_t i) const { return uint8_t(m_bytes.at(int(i))); }
    bool IsSharedWith(const CBinary& other) const { return m_bytes.isSharedWith(other.m_bytes); }

    // Unsigned byte-wise over the shorter length; equal there, the shorter comes first. -1, 0 or 1.
    int Compare(const CBinary& other) const;
    bool operator==(const CBinary& other) const { return Compare(other) == 0; }
    bool operator!=(const CBinary& other) const { return Compare(other) != 0; }
    bool operator<(const CBinary& other) const { return Compare(other) < 0; }

    // Two upper-case hexadecimal digits per byte.
    std::string ToHex() const;
    // Two digits per byte; any pair that is not wholly hexadecimal, or a lone digit, gives the empty buffer.
    static CBinary FromHex(std::string_view digits);

    static int16_t GetLastError();
    static void ClearLastError();

private:
    QByteArray m_bytes;
};
