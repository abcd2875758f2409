// The main dialog's load: discovery, then the standard variables.
#include "engine/Install.h"

namespace engine {

void Install::Form_Load() {}

}  // namespace engine
