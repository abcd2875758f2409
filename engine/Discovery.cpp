// Finding the product's removal scripts and filling the application list.
#include "engine/Install.h"

namespace engine {

void Install::findApplications() {}
std::string Install::scriptTitle(const std::string&) { return {}; }
void Install::List1_Click() {}

}  // namespace engine
