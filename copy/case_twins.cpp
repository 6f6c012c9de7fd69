#include "copy/case_twins.h"

namespace {

std::string Folded(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

}  // namespace

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && Folded(a) == Folded(b);
}

bool CaseTwins::First(const std::string& name, std::string* earlier) {
    auto [it, inserted] = seen_.emplace(Folded(name), name);
    if (inserted || it->second == name)
        return true;
    if (earlier)
        *earlier = it->second;
    return false;
}

bool LandingNames::Take(const std::string& name, const std::string& item, std::string* earlier) {
    auto [it, inserted] = taken_.emplace(Folded(name), item);
    if (inserted || it->second == item)
        return true;  // the same item dropped again lands on its own copy
    *earlier = it->second;
    return false;
}
