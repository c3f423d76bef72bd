// Splits the text of a cairo script into tokens as it arrives, in pieces of any size.
#include "import/script_tokens.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace orlex {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

} // namespace

bool ScriptTokenizer::feed(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size && !stopped_; ++i)
        if (!step(data[i]))
            stopped_ = true;
    return !stopped_;
}

bool ScriptTokenizer::finish()
{
    if (!stopped_ && state_ == State::Normal && !endToken())
        stopped_ = true;
    return !stopped_;
}

bool ScriptTokenizer::deliver(ScriptToken::Kind kind, std::string text, double number)
{
    return sink_(ScriptToken{kind, number, std::move(text)});
}

// The regular token gathered so far: a number, or a name of one of three kinds.
bool ScriptTokenizer::endToken()
{
    if (token_.empty())
        return true;
    std::string text;
    text.swap(token_);
    if (text.rfind("//", 0) == 0)
        return deliver(ScriptToken::Kind::ImmediateName, text.substr(2));
    if (text[0] == '/')
        return deliver(ScriptToken::Kind::LiteralName, text.substr(1));
    double number = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, number);
    if (parsed.ec == std::errc() && parsed.ptr == end)
        return deliver(ScriptToken::Kind::Number, {}, number);
    if (parsed.ec == std::errc::result_out_of_range && parsed.ptr == end)
        return deliver(ScriptToken::Kind::Number, {}, text[0] == '-' ? -HUGE_VAL : HUGE_VAL);
    return deliver(ScriptToken::Kind::Name, std::move(text));
}

bool ScriptTokenizer::step(char c)
{
    switch (state_) {
    case State::Comment:
        if (c == '\n')
            state_ = State::Normal;
        return true;
    case State::AfterLess:
        if (c == '<') {
            state_ = State::Normal;
            return deliver(ScriptToken::Kind::Delimiter, "<<");
        }
        if (c == '~' || c == '|') {
            state_ = State::Encoded;
            return true;
        }
        if (c == '>') {
            state_ = State::Normal;
            return deliver(ScriptToken::Kind::String, {});
        }
        state_ = State::Hex;
        return true;
    case State::AfterGreater:
        state_ = State::Normal;
        if (c == '>')
            return deliver(ScriptToken::Kind::Delimiter, ">>");
        return false; // a lone '>' is not part of the language
    case State::Encoded:
        if (c == '~')
            state_ = State::EncodedTilde;
        return true;
    case State::EncodedTilde:
        if (c == '>') {
            state_ = State::Normal;
            return deliver(ScriptToken::Kind::String, {});
        }
        state_ = c == '~' ? State::EncodedTilde : State::Encoded;
        return true;
    case State::Hex:
        if (c == '>') {
            state_ = State::Normal;
            return deliver(ScriptToken::Kind::String, {});
        }
        return true;
    case State::ParenEscape: state_ = State::Paren; return true;
    case State::Paren:
        if (c == '\\')
            state_ = State::ParenEscape;
        else if (c == '(')
            ++parenDepth_;
        else if (c == ')' && --parenDepth_ == 0) {
            state_ = State::Normal;
            return deliver(ScriptToken::Kind::String, {});
        }
        return true;
    case State::Normal: break;
    }

    if (isSpace(c))
        return endToken();
    if (std::strchr("%[]{}<>(", c) != nullptr && !endToken())
        return false;
    switch (c) {
    case '%': state_ = State::Comment; return true;
    case '<': state_ = State::AfterLess; return true;
    case '>': state_ = State::AfterGreater; return true;
    case '(':
        state_ = State::Paren;
        parenDepth_ = 1;
        return true;
    case '[':
    case ']':
    case '{':
    case '}': return deliver(ScriptToken::Kind::Delimiter, std::string(1, c));
    default: token_ += c; return token_.size() <= 4096; // cairo writes no token that long
    }
}

} // namespace orlex
