// Include name the GUI framework's VST wrapper asks for; our own interface layer answers it.
#include "../../vk_vst2_effect.h"
