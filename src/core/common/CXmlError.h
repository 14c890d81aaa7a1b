#pragma once

#include <stdexcept>
#include <string>

// Raised by our XML layer wherever the document model refuses an operation: an invalid
// element name, a missing parent, a literal that cannot be quoted. Handlers catch it and
// write their "Error in ..." line to the error log.
class CXmlError : public std::runtime_error {
public:
    explicit CXmlError(const std::string& what) : std::runtime_error(what) {}
};
