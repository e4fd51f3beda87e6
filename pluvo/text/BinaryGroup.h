// CBinaryGroup: an ordered list of CBinary values; the fields of one text library record.
#pragma once

#include "Binary.h"

#include <vector>

class CBinaryGroup {
public:
    CBinaryGroup() = default;
    CBinaryGroup(const CBinaryGroup&) = default;
    CBinaryGroup& operator=(const CBinaryGroup&) = default;
    virtual ~CBinaryGroup();

    void Add(const CBinary& item) { m_items.push_back(item); }
    void RemoveAll() { m_items.clear(); }
    size_t GetSize() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }
    // Index must be below GetSize().
    const CBinary& GetAt(size_t index) const { return m_items[index]; }

private:
    std::vector<CBinary> m_items;
};
