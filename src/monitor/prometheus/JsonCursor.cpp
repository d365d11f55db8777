#include "monitor/prometheus/JsonCursor.h"

#include <charconv>
#include <cstring>

namespace moravel {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

bool JsonCursor::escapedString(const char* start, std::string_view& out)
{
    std::string& decoded = unescaped_.emplace_back(start, static_cast<size_t>(at_ - start));
    while (true) {
        // Runs without quotes or escapes are copied whole.
        const char* run = at_;
        at_ = plainRunEnd(at_);
        decoded.append(run, static_cast<size_t>(at_ - run));
        if (at_ == end_ || static_cast<unsigned char>(*at_) < 0x20)
            return fail();
        if (*at_++ == '"') {
            out = decoded;
            return true;
        }
        if (!escape(decoded))
            return fail();
    }
}

// After a backslash: one escape, a \u one with its surrogate partner.
bool JsonCursor::escape(std::string& out)
{
    if (at_ == end_)
        return false;
    const char kind = *at_++;
    switch (kind) {
    case '"': out += '"'; return true;
    case '\\': out += '\\'; return true;
    case '/': out += '/'; return true;
    case 'b': out += '\b'; return true;
    case 'f': out += '\f'; return true;
    case 'n': out += '\n'; return true;
    case 'r': out += '\r'; return true;
    case 't': out += '\t'; return true;
    case 'u': break;
    default: return false;
    }
    const auto hex4 = [this]() -> int {
        if (end_ - at_ < 4)
            return -1;
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexValue(*at_++);
            if (digit < 0)
                return -1;
            value = value * 16 + digit;
        }
        return value;
    };
    const int unit = hex4();
    if (unit < 0)
        return false;
    char32_t code = static_cast<char32_t>(unit);
    if (unit >= 0xD800 && unit <= 0xDBFF && end_ - at_ >= 6 && at_[0] == '\\' && at_[1] == 'u') {
        const char* partner = at_;
        at_ += 2;
        const int low = hex4();
        if (low < 0)
            return false;
        if (low >= 0xDC00 && low <= 0xDFFF)
            code = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00);
        else
            at_ = partner;  // not a partner: read on its own
    }
    // A surrogate without its partner is no character.
    if (code >= 0xD800 && code <= 0xDFFF)
        code = 0xFFFD;
    appendUtf8(out, code);
    return true;
}

bool JsonCursor::number(double& out)
{
    skipBlanks();
    const char* start = at_;
    const char* p = at_;
    if (p < end_ && *p == '-')
        ++p;
    // JSON's grammar: no leading zeros, no bare '.', an exponent with digits.
    if (p == end_ || !isDigit(*p))
        return fail();
    if (*p == '0')
        ++p;
    else
        while (p < end_ && isDigit(*p))
            ++p;
    if (p < end_ && *p == '.') {
        ++p;
        if (p == end_ || !isDigit(*p))
            return fail();
        while (p < end_ && isDigit(*p))
            ++p;
    }
    if (p < end_ && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end_ && (*p == '+' || *p == '-'))
            ++p;
        if (p == end_ || !isDigit(*p))
            return fail();
        while (p < end_ && isDigit(*p))
            ++p;
    }
    const std::string_view text(start, static_cast<size_t>(p - start));
    // Every sample of an instant answer has the same time: read once.
    if (text == lastNumber_.first) {
        out = lastNumber_.second;
        at_ = p;
        return true;
    }
    const auto [end, error] = std::from_chars(start, p, out);
    // Out of range: a number no answer holds.
    if (error != std::errc() || end != p)
        return fail();
    lastNumber_ = {text, out};
    at_ = p;
    return true;
}

bool JsonCursor::skip(int depth)
{
    if (depth > deepestNesting)
        return fail();
    skipBlanks();
    if (failed_ || at_ == end_)
        return fail();
    switch (*at_) {
    case '{':
        return object([this, depth](std::string_view) { return skip(depth + 1); });
    case '[':
        return array([this, depth] { return skip(depth + 1); });
    case '"': {
        std::string_view ignored;
        return string(ignored);
    }
    case 't':
    case 'f':
    case 'n':
        for (const char* word : {"true", "false", "null"}) {
            const size_t length = std::strlen(word);
            if (static_cast<size_t>(end_ - at_) >= length && std::memcmp(at_, word, length) == 0) {
                at_ += length;
                return true;
            }
        }
        return fail();
    default: {
        double ignored = 0;
        return number(ignored);
    }
    }
}

}  // namespace moravel
