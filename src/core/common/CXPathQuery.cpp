#include "core/common/CXPathQuery.h"

#include "core/common/CXmlError.h"

namespace {

pugi::xpath_variable_set declared(std::initializer_list<const char*> names) {
    pugi::xpath_variable_set variables;
    for (const char* name : names) {
        variables.add(name, pugi::xpath_type_string);
    }
    return variables;
}

}  // namespace

CXPathQuery::CXPathQuery(const char* expression, std::initializer_list<const char*> variables)
    : m_variables(declared(variables)) {
    try {
        m_query = pugi::xpath_query(expression, &m_variables);
    } catch (const pugi::xpath_exception& error) {
        throw CXmlError(std::string("invalid selection: ") + error.what());
    }
}

CXPathQuery& CXPathQuery::set(const char* variable, std::string_view value) {
    if (!m_variables.set(variable, std::string(value).c_str())) {
        throw CXmlError(std::string("no variable ") + variable);
    }
    return *this;
}

pugi::xpath_node_set CXPathQuery::select(const pugi::xml_node& context) const {
    try {
        return m_query.evaluate_node_set(context);
    } catch (const pugi::xpath_exception& error) {
        throw CXmlError(std::string("selection failed: ") + error.what());
    }
}

pugi::xml_node CXPathQuery::first(const pugi::xml_node& context) const {
    try {
        return m_query.evaluate_node(context).node();
    } catch (const pugi::xpath_exception& error) {
        throw CXmlError(std::string("selection failed: ") + error.what());
    }
}

pugi::xpath_node_set CXPathQuery::selectFixed(const pugi::xml_node& context,
                                              const char* expression) {
    try {
        return context.select_nodes(expression);
    } catch (const pugi::xpath_exception& error) {
        throw CXmlError(std::string("selection failed: ") + error.what());
    }
}
