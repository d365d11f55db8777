#pragma once

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

namespace moravel {

// A forward reader of one JSON text, for answers too large to build a
// document of first. Each reading function skips blanks before its value
// and returns false, leaving the cursor failed, on anything that is not
// strict JSON. Nesting deeper than `deepestNesting` fails too, so that a
// hostile answer cannot exhaust the stack.
//
// Strings are read as views: into the text itself where they have no
// escapes (nearly always), else into `unescaped`, which must outlive them.
class JsonCursor {
public:
    static constexpr int deepestNesting = 64;

    JsonCursor(std::string_view text, std::deque<std::string>& unescaped)
        : at_(text.data()), end_(text.data() + text.size()), unescaped_(unescaped)
    {
    }

    bool failed() const { return failed_; }
    // Whether only blanks are left.
    bool atEnd()
    {
        skipBlanks();
        return at_ == end_;
    }

    // Takes `c` if it comes next.
    bool take(char c)
    {
        // Servers write their answers without blanks: the common case first.
        if (!failed_ && at_ < end_ && *at_ == c) {
            ++at_;
            return true;
        }
        skipBlanks();
        if (failed_ || at_ == end_ || *at_ != c)
            return false;
        ++at_;
        return true;
    }
    // Takes `c`, or fails.
    bool expect(char c) { return take(c) || fail(); }
    // Whether the next value starts with `c` (nothing is taken).
    bool peek(char c)
    {
        skipBlanks();
        return !failed_ && at_ < end_ && *at_ == c;
    }

    // A string, unescaped to UTF-8.
    bool string(std::string_view& out)
    {
        if (!expect('"'))
            return false;
        const char* start = at_;
        // The common string: no escapes, a view of the text.
        at_ = plainRunEnd(at_);
        if (at_ < end_ && *at_ == '"') {
            out = std::string_view(start, static_cast<size_t>(at_++ - start));
            return true;
        }
        return escapedString(start, out);
    }
    bool number(double& out);
    // Passes over one value of any kind.
    bool skipValue() { return skip(0); }

    // Reads `{"key": value, ...}`, calling `member(key)` with the cursor on each
    // value; `member` must read or skip it and return false to stop with a failure.
    template <typename Member>
    bool object(Member member)
    {
        if (!expect('{'))
            return false;
        if (take('}'))
            return true;
        std::string_view key;
        do {
            if (!string(key) || !expect(':') || !member(key))
                return fail();
        } while (take(','));
        return expect('}');
    }

    // Reads `[value, ...]`, calling `element()` with the cursor on each.
    template <typename Element>
    bool array(Element element)
    {
        if (!expect('['))
            return false;
        if (take(']'))
            return true;
        do {
            if (!element())
                return fail();
        } while (take(','));
        return expect(']');
    }

    bool fail()
    {
        failed_ = true;
        return false;
    }

private:
    void skipBlanks()
    {
        while (at_ < end_ && (*at_ == ' ' || *at_ == '\n' || *at_ == '\r' || *at_ == '\t'))
            ++at_;
    }
    bool skip(int depth);
    // Characters a string's plain run stops at: its end, an escape, and the
    // control characters JSON does not allow in one. One look-up per character.
    static constexpr std::array<bool, 256> endsPlainRun = [] {
        std::array<bool, 256> ends{};
        for (size_t c = 0; c < 0x20; ++c)
            ends[c] = true;
        ends['"'] = true;
        ends['\\'] = true;
        return ends;
    }();
    static bool isPlain(char c) { return !endsPlainRun[static_cast<unsigned char>(c)]; }
    // Where the plain run from `at` stops. On a local pointer: stepping the
    // member, which the characters read might alias, would store it each step.
    const char* plainRunEnd(const char* at) const
    {
        while (at < end_ && isPlain(*at))
            ++at;
        return at;
    }

    // The rest of a string from `start` on, where its plain run stopped.
    bool escapedString(const char* start, std::string_view& out);
    bool escape(std::string& out);

    const char* at_;
    const char* end_;
    std::deque<std::string>& unescaped_;
    std::pair<std::string_view, double> lastNumber_;  // the last number read, and its text
    bool failed_ = false;
};

}  // namespace moravel
