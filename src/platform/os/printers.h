// The system's printers, in the order the print system lists them.
#pragma once
#include <string>
#include <vector>

namespace yz::os {

// The printer names: an installed list when one was set (tests, kiosks), else the list in the
// environment variable YZ_PRINTERS (names separated by ';', for scripted checks on machines
// without a print service), else the print system's destinations (empty when none is
// reachable; never throws).
std::vector<std::string> Printers();
// Installs a fixed list (nullptr-like: an empty optional restores the print system's).
void SetPrinters(std::vector<std::string> names);
void ClearInstalledPrinters();

}  // namespace yz::os
