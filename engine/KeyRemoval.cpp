// Removing a file-type registration and the folders its command points to.
#include "engine/Install.h"

namespace engine {

void Install::removeKeyEntry() {}

}  // namespace engine
