#include "editor_test_support.h"

namespace latiphonix::test
{

void EditorTest::SetUp()
{
    ProductTest::SetUp();
    prepare(48000.0, 512);
    algo().setClock(&manualClock);
    // Setting up leaves steps in the undo history; the tests count the editor's own from none.
    for (int i = 0; i < 1000 && processor->canUndo(); ++i)
        processor->setParameterInternal(kUndo, 1.0f, false, true, false);
    processor->setRefreshAll(false);
}

void EditorTest::TearDown()
{
    if (editor != nullptr)
        processor->editorBeingDeleted(editor.get());
    editor.reset();
    ProductTest::TearDown();
}

void EditorTest::open()
{
    LatiphonixEditor::Options options;
    options.headlessApi = &gl;
    options.listApi = &lists;
    options.clock = &clock;
    editor = std::make_unique<LatiphonixEditor>(*processor, options);
}

vk::VkJuceControl& EditorTest::control(const char* name)
{
    auto* c = editor->findControl(name);
    if (c == nullptr)
        throw std::runtime_error(std::string("no control ") + name);
    return *c;
}

juce::String EditorTest::readout()
{
    return dynamic_cast<vk::VkJuceButton&>(control("m_textReadout")).getText(0);
}

} // namespace latiphonix::test
