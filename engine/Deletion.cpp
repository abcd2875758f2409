// Deleting files and folders of the product, behind the deletion guard.
#include "engine/Install.h"

namespace engine {

bool Install::deletionAllowed() { return false; }
void Install::removeFileEntry() {}
void Install::removeFolder(const std::string&) {}

}  // namespace engine
