// Splits the text of a cairo script into tokens as it arrives, in pieces of any size.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace orlex {

struct ScriptToken {
    enum class Kind { Number, Name, LiteralName, ImmediateName, Delimiter, String };
    Kind kind;
    double number = 0;
    std::string text; // names without their slashes; "[", "]", "<<", ">>", "{", "}"
};

// Numbers, names (`name`, `/name`, `//NAME`), the delimiters [ ] << >> { } and strings
// ((...), <hex>, <~base85~>, <|compressed~>) whose content is skipped, not kept. Comments
// (% to the end of the line) are skipped.
class ScriptTokenizer {
public:
    using Sink = std::function<bool(const ScriptToken&)>; // false stops the tokenizer

    explicit ScriptTokenizer(Sink sink) : sink_(std::move(sink)) {}

    bool feed(const char* data, std::size_t size); // false once the sink said stop
    bool finish();                                 // emits a token still pending

private:
    enum class State { Normal, Comment, AfterLess, AfterGreater, Encoded, EncodedTilde, Hex, Paren, ParenEscape };

    bool step(char c);
    bool endToken();
    bool deliver(ScriptToken::Kind kind, std::string text, double number = 0);

    Sink sink_;
    State state_ = State::Normal;
    std::string token_;
    int parenDepth_ = 0;
    bool stopped_ = false;
};

} // namespace orlex
