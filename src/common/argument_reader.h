// Walks a command line of "--name value", "--name=value", flags and plain arguments.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orlex {

class ArgumentReader {
public:
    explicit ArgumentReader(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

    bool atEnd() const { return next_ >= arguments_.size(); }
    const std::string& peek() const { return arguments_[next_]; }
    std::string take() { return arguments_[next_++]; }

    // The next argument is the option `name`, alone or as "name=value".
    bool is(std::string_view name) const
    {
        if (atEnd())
            return false;
        const std::string& arg = peek();
        return arg == name
               || (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=');
    }

    // Takes the option `name` (is(name) must hold) and its value: the text after '=', or
    // the following argument. nullopt when no value follows.
    std::optional<std::string> takeValue(std::string_view name)
    {
        const std::string arg = take();
        if (arg.size() > name.size())
            return arg.substr(name.size() + 1);
        if (atEnd())
            return std::nullopt;
        return take();
    }

private:
    std::vector<std::string> arguments_;
    std::size_t next_ = 0;
};

} // namespace orlex
