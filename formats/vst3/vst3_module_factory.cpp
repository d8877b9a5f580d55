#include "formats/vst3/vst3_module_factory.h"

#include "formats/vst3/vst3_controller.h"
#include "formats/vst3/vst3_processor.h"

namespace vk::vst3
{

PluginFactory& moduleFactory()
{
    static PluginFactory* factory = []
    {
        auto* f = new PluginFactory(vk::identity::makeVst3FactoryInfo());
        f->registerClass(vk::identity::makeVst3ProcessorClassRecord(),
                         &Steinberg::Vst::VST3Processor::createInstance);
        f->registerClass(vk::identity::makeVst3ControllerClassRecord(),
                         &Steinberg::Vst::VST3Controller::createInstance);
        return f;
    }();
    return *factory;
}

} // namespace vk::vst3
