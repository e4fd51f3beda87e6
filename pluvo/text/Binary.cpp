#include "Binary.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

namespace {

std::atomic<int16_t> g_lastError{CBinary::kNoError};

bool fail(int16_t code) {
    g_lastError = code;
    return false;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

CBinary::CBinary(const void* data, size_t length) {
    if (length > size_t(std::numeric_limits<long long>::max())) {
        fail(kBadArgument);
        return;
    }
    Append(data, static_cast<long long>(length));
}

CBinary::~CBinary() = default;

bool CBinary::Assign(const void* data, long long length) {
    if (length < 0 || (length > 0 && !data)) return fail(kBadArgument);
    CBinary fresh;
    if (!fresh.Append(data, length)) return false;
    m_bytes = std::move(fresh.m_bytes);
    return true;
}

bool CBinary::Append(const void* data, long long length) {
    if (length < 0 || (length > 0 && !data)) return fail(kBadArgument);
    if (length == 0) return true;
    // QByteArray counts in int; anything beyond is more than this buffer can hold.
    if (length > std::numeric_limits<int>::max() - m_bytes.size()) return fail(kOutOfMemory);
    const char* source = static_cast<const char*>(data);
    const char* begin = m_bytes.constData();
    const bool ownBytes =
        std::greater_equal<const char*>()(source, begin) && std::less<const char*>()(source, begin + m_bytes.size());
    try {
        // QByteArray's growth allocates before it changes anything, so a failure leaves the bytes as they were.
        // Growing may free the storage the source lies in, so the buffer's own bytes are copied out first.
        if (ownBytes)
            m_bytes.append(QByteArray(source, int(length)));
        else
            m_bytes.append(source, int(length));
    } catch (const std::bad_alloc&) {
        return fail(kOutOfMemory);
    }
    return true;
}

int CBinary::Compare(const CBinary& other) const {
    const size_t n = std::min(GetLength(), other.GetLength());
    const int c = n ? std::memcmp(GetData(), other.GetData(), n) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    if (GetLength() == other.GetLength()) return 0;
    return GetLength() < other.GetLength() ? -1 : 1;
}

std::string CBinary::ToHex() const {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(GetLength() * 2);
    for (size_t i = 0; i < GetLength(); ++i) {
        out += digits[GetData()[i] >> 4];
        out += digits[GetData()[i] & 0x0F];
    }
    return out;
}

CBinary CBinary::FromHex(std::string_view digits) {
    if (digits.size() % 2 != 0) return CBinary();
    std::string bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int hi = hexValue(digits[i]);
        const int lo = hexValue(digits[i + 1]);
        if (hi < 0 || lo < 0) return CBinary();
        bytes += char(hi << 4 | lo);
    }
    return CBinary(bytes.data(), bytes.size());
}

int16_t CBinary::GetLastError() {
    return g_lastError;
}

void CBinary::ClearLastError() {
    g_lastError = kNoError;
}
