// Word lists for realistic French carers: surnames, first names, street names,
// address complements and observation texts.
#pragma once

#include <string>
#include <vector>

namespace morvane::demo {

/// Surnames in upper case, accents kept ("LEFÈVRE").
const std::vector<std::string>& Surnames();
/// First names, capitalised ("Hélène").
const std::vector<std::string>& FemaleFirstNames();
const std::vector<std::string>& MaleFirstNames();
/// Street names without their street type ("de la Paix", "Jean Jaurès").
const std::vector<std::string>& StreetNames();
/// Second address lines ("Résidence les Tilleuls").
const std::vector<std::string>& AddressComplements();
/// Free-text observations; some hold CR LF line breaks.
const std::vector<std::string>& Observations();

}  // namespace morvane::demo
