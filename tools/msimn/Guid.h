// Fresh GUID texts in the client's form: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX},
// upper-case hexadecimal, random (version 4).
#pragma once

#include <string>

namespace msimn {

class Guid {
public:
    static std::string NewText();
};

}  // namespace msimn
