#pragma once
// Catalogue values between the device's forms and the file's: taken out of
// a read's parameter document, and made into a write's request attributes.

#include <pugixml.hpp>

#include <array>
#include <string>
#include <string_view>

#include "configuration/catalogue.h"
#include "configuration/values.h"
#include "platform/result.h"

namespace zolin6::configuration {

// The 22 attribute texts of one request; unused ones are "None".
using Attributes = std::array<std::string, 22>;
Attributes NoAttributes();

// The request document of `attributes`, as the control's DocXML builds it.
std::string RequestDocument(const Attributes& attributes);

// The value of `entry` in a read's parsed parameter document; fails when the
// tag is missing or its text cannot be taken as the value.
Result<Value> DecodeValue(const CatalogueValue& entry, const pugi::xml_document& document);

// The attributes of `write` made from `configuration`; fails when a value it
// needs is missing or cannot be encoded.
Result<Attributes> EncodeWrite(const CatalogueWrite& write, const Configuration& configuration);

// The 8 hexadecimal digits a number goes to the device as: the bits the
// Write button sends for the number's shortest text typed on its page, so a
// value downloaded from a file and the same value written on its page are
// the same on the device.
Result<std::string> PageNumberHex(double value);

}  // namespace zolin6::configuration
