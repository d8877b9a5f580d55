// The creation function of the editor test bundle: the test processor with its editor.
#include "view_test_editor.h"

VkJuceProcessorBase* createPluginFilter(int wrapperType)
{
    return vk::test::createEditorProcessor(wrapperType);
}
