#pragma once

#include <stdlib.h>
#include <string.h>

#include <type_traits>

// A list of plain values (handles, pointers, pairs of them) on the C runtime's heap. The
// module carries no C++ runtime: an append that finds no room says so and changes nothing.
template <typename Value>
class CPlainList {
    static_assert(std::is_trivially_copyable<Value>::value,
                  "the values are moved with realloc and memmove, byte for byte");

public:
    CPlainList() = default;
    ~CPlainList() { free(m_values); }
    CPlainList(const CPlainList&) = delete;
    CPlainList& operator=(const CPlainList&) = delete;

    size_t Count() const { return m_count; }
    Value& operator[](size_t at) { return m_values[at]; }
    const Value& operator[](size_t at) const { return m_values[at]; }

    // False, and the list as it was, when there is no room for one more.
    bool Append(const Value& value)
    {
        if (m_count == m_capacity) {
            const size_t capacity = m_capacity ? 2 * m_capacity : 8;
            void* grown = realloc(m_values, capacity * sizeof(Value));
            if (!grown)
                return false;
            m_values = static_cast<Value*>(grown);
            m_capacity = capacity;
        }
        m_values[m_count++] = value;
        return true;
    }

    void RemoveAt(size_t at)
    {
        memmove(m_values + at, m_values + at + 1, (m_count - at - 1) * sizeof(Value));
        --m_count;
    }

private:
    Value* m_values = nullptr;
    size_t m_count = 0;
    size_t m_capacity = 0;
};
