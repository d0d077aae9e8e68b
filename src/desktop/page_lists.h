#pragma once
// Which of the on-line pages' combo boxes offers the choices of a
// configuration value, so that the off-line pages and the "All Values"
// page offer exactly the lists the device's pages offer, and the texts
// those lists hold turned back into codes.

#include <cstdint>
#include <optional>
#include <string>

#include "configuration/catalogue.h"

namespace zolin6::desktop {

// The combo box ("cmbSensorType(2)" for "channel 3.sensor type") whose
// items are the choices of `key`; "" when no page offers a list for it.
std::string PageListOf(const std::string& key);

// The code whose text is `text` in `enumeration`; none when the
// enumeration has no such text.
std::optional<std::int64_t> CodeOfText(configuration::Enumeration enumeration, const std::string& text);

}  // namespace zolin6::desktop
