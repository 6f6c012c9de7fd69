#pragma once
// Names that differ only in letter case. A NetWare directory holds one entry per name in any
// case, so two source entries spelled "Same.txt" and "SAME.TXT" cannot both be copied: of such
// twins the first in listing order is taken, and every later one is reported and left out, so
// that nothing of one is ever written under the other's name.

#include <string>
#include <unordered_map>

// Equal when folded as NetWare folds names: the ASCII letters only.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

// The names of one directory listing, in the order the listing gives them.
class CaseTwins {
  public:
    // True for the first entry of a name in any case; false for a later twin, whose earlier
    // name *earlier (when given) receives.
    bool First(const std::string& name, std::string* earlier = nullptr);

  private:
    std::unordered_map<std::string, std::string> seen_;  // folded name -> first name
};

// The names copies land on in one destination directory, each with the item that took it.
class LandingNames {
  public:
    // True when no other item took the name in any case; otherwise *earlier receives the item
    // that did.
    bool Take(const std::string& name, const std::string& item, std::string* earlier);

  private:
    std::unordered_map<std::string, std::string> taken_;  // folded name -> item
};
