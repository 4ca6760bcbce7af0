#pragma once

#include <stddef.h>

// A text in the system's ANSI code page, held by value, its bytes on the C runtime's heap. The
// module carries no C++ runtime, so a failed allocation cannot be thrown: it leaves the text
// empty and marked failed, and a failed text stays failed through appends and copies, so that
// a path with a part missing is never made. Callers treat a failed text like an empty one.
class CText {
public:
    CText() = default;
    // From a zero-terminated text; a null pointer is an empty text. Not explicit: a literal
    // is a text wherever one is asked for.
    // cppcheck-suppress noExplicitConstructor
    CText(const char* text);
    CText(const char* bytes, size_t length);
    CText(const CText& other);
    CText(CText&& other) noexcept;
    CText& operator=(const CText& other);
    CText& operator=(CText&& other) noexcept;
    ~CText();
    // A failed text, for a caller whose own allocation for it failed.
    static CText Failure();

    // Zero-terminated; "" when empty, never null.
    const char* Chars() const { return m_bytes ? m_bytes : ""; }
    size_t Length() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    bool Failed() const { return m_failed; }
    char At(size_t at) const { return m_bytes[at]; }

    // The bytes from one place, at most the given number of them.
    CText Part(size_t from, size_t length = static_cast<size_t>(-1)) const;
    CText& operator+=(const CText& other);
    void Clear();

    friend CText operator+(const CText& first, const CText& second);
    // Same length and the same bytes; letter case counts. A failed text has no bytes.
    friend bool operator==(const CText& first, const CText& second);
    friend bool operator!=(const CText& first, const CText& second) { return !(first == second); }

private:
    // Takes the bytes, or marks the text failed when there is no room for them.
    void Assign(const char* bytes, size_t length, bool failed);
    // Takes the other text's bytes, leaving it empty.
    void TakeFrom(CText& other);
    void MarkFailed();

    char* m_bytes = nullptr;
    size_t m_length = 0;
    bool m_failed = false;
};
