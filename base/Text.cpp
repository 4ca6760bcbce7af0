#include "base/Text.h"

#include <stdlib.h>
#include <string.h>

CText::CText(const char* text)
{
    Assign(text, text ? strlen(text) : 0, false);
}

CText::CText(const char* bytes, size_t length)
{
    Assign(bytes, length, false);
}

CText::CText(const CText& other)
{
    Assign(other.m_bytes, other.m_length, other.m_failed);
}

CText::CText(CText&& other) noexcept
{
    TakeFrom(other);
}

CText& CText::operator=(const CText& other)
{
    if (this != &other) {
        Clear();
        Assign(other.m_bytes, other.m_length, other.m_failed);
    }
    return *this;
}

CText& CText::operator=(CText&& other) noexcept
{
    if (this != &other) {
        free(m_bytes);
        TakeFrom(other);
    }
    return *this;
}

CText::~CText()
{
    free(m_bytes);
}

CText CText::Failure()
{
    CText failed;
    failed.m_failed = true;
    return failed;
}

CText CText::Part(size_t from, size_t length) const
{
    CText part;
    if (m_failed) {
        part.m_failed = true;
    } else if (from < m_length) {
        part.Assign(m_bytes + from, length < m_length - from ? length : m_length - from, false);
    }
    return part;
}

CText& CText::operator+=(const CText& other)
{
    if (m_failed)
        return *this;
    if (other.m_failed) {
        MarkFailed();
        return *this;
    }
    if (other.m_length == 0)
        return *this;
    char* joined = static_cast<char*>(realloc(m_bytes, m_length + other.m_length + 1));
    if (!joined) {
        MarkFailed();
        return *this;
    }
    // The other text may be this one: its bytes are read from the new block.
    memcpy(joined + m_length, &other == this ? joined : other.m_bytes, other.m_length);
    m_bytes = joined;
    m_length += other.m_length;
    m_bytes[m_length] = '\0';
    return *this;
}

void CText::Clear()
{
    free(m_bytes);
    m_bytes = nullptr;
    m_length = 0;
    m_failed = false;
}

CText operator+(const CText& first, const CText& second)
{
    CText joined(first);
    joined += second;
    return joined;
}

bool operator==(const CText& first, const CText& second)
{
    return first.m_length == second.m_length &&
           (first.m_length == 0 || memcmp(first.m_bytes, second.m_bytes, first.m_length) == 0);
}

void CText::Assign(const char* bytes, size_t length, bool failed)
{
    m_failed = failed;
    if (failed || length == 0)
        return;
    m_bytes = static_cast<char*>(malloc(length + 1));
    if (!m_bytes) {
        m_failed = true;
        return;
    }
    memcpy(m_bytes, bytes, length);
    m_bytes[length] = '\0';
    m_length = length;
}

void CText::TakeFrom(CText& other)
{
    m_bytes = other.m_bytes;
    m_length = other.m_length;
    m_failed = other.m_failed;
    other.m_bytes = nullptr;
    other.m_length = 0;
    other.m_failed = false;
}

void CText::MarkFailed()
{
    Clear();
    m_failed = true;
}
