#pragma once

#include <initializer_list>
#include <pugixml.hpp>
#include <string>
#include <string_view>

// An XPath expression compiled once, whose texts from outside (plan values, wire texts)
// come in as string variables ($name) and are never spliced into the expression: a value
// holding a quote stays a value. The library's own exception becomes CXmlError, so a
// handler that logs "Error in ..." for the XML layer also covers a failed selection.
class CXPathQuery {
public:
    // Raises CXmlError when the expression does not compile.
    CXPathQuery(const char* expression, std::initializer_list<const char*> variables);

    CXPathQuery(const CXPathQuery&) = delete;
    CXPathQuery& operator=(const CXPathQuery&) = delete;

    // Raises CXmlError for a name that was not declared.
    CXPathQuery& set(const char* variable, std::string_view value);

    // The selected nodes in document order.
    pugi::xpath_node_set select(const pugi::xml_node& context) const;
    pugi::xml_node first(const pugi::xml_node& context) const;

    // A selection with a fixed expression, with the same conversion of the library's
    // exception.
    static pugi::xpath_node_set selectFixed(const pugi::xml_node& context, const char* expression);

private:
    pugi::xpath_variable_set m_variables;
    pugi::xpath_query m_query;
};
