#include "pages/parameter_document.h"

namespace zolin6::pages {

namespace {

// What the desktop runtime says when a fetch finds no element or no value
// attribute to read.
Error NothingToRead() { return {"Object variable or With block variable not set"}; }

// The tag query, compiled once. The tag name goes in through a variable, so
// a name with quotes or apostrophes in it is matched as it is. The query
// refers to its variable, so both live together and never move.
struct TagQuery {
  pugi::xpath_variable_set variables;
  pugi::xpath_variable* name;
  pugi::xpath_query query;

  TagQuery() : name(variables.add("name", pugi::xpath_type_string)), query("//*[@tag=$name]", &variables) {}
};

TagQuery& Query() {
  // Loaders run on the user-interface thread; one query per thread keeps a
  // second thread (a test runner, a benchmark) from sharing the variable.
  thread_local TagQuery tagQuery;
  return tagQuery;
}

// Parsed as a fragment, the parser keeps what a document may not hold (text
// beside the root, several roots, no root at all) where it can be seen, and
// such a text is refused like any other malformed one.
bool HasOneRoot(const pugi::xml_document& document) {
  int elements = 0;
  for (const pugi::xml_node node : document.children()) {
    if (node.type() == pugi::node_element) {
      ++elements;
    } else if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      return false;
    }
  }
  return elements == 1;
}

}  // namespace

Result<std::string> FetchTagValue(const pugi::xml_document& document, std::string_view tag) {
  TagQuery& tagQuery = Query();
  tagQuery.name->set(std::string(tag).c_str());
  const pugi::xml_node element = tagQuery.query.evaluate_node(document).node();
  if (!element) return NothingToRead();
  const pugi::xml_attribute value = element.attribute("value");
  if (!value) return NothingToRead();
  return std::string(value.value());
}

void LoadParameterDocument(pugi::xml_document& document, std::string_view details) {
  // The details are already text, so the bytes are taken as UTF-8 whatever
  // an encoding declaration in the text says.
  const pugi::xml_parse_result parsed = document.load_buffer(
      details.data(), details.size(), pugi::parse_default | pugi::parse_fragment, pugi::encoding_utf8);
  // The parser keeps what it read before an error; a malformed document must
  // not fill any field, so nothing of it is kept.
  if (!parsed || !HasOneRoot(document)) document.reset();
}

}  // namespace zolin6::pages
