// Matching an element or property name against a short list of names.
#pragma once

#include <QStringView>

#include <initializer_list>

namespace orlex {

// True when `name` is one of `names`.
inline bool isOneOf(QStringView name, std::initializer_list<const char16_t*> names)
{
    for (const char16_t* n : names)
        if (name == QStringView(n))
            return true;
    return false;
}

} // namespace orlex
