#include "ui/PropertyEditor.h"

namespace vk {

namespace {
TEditorFactory* g_factory = nullptr;
}

TEditorFactory* editorFactory() { return g_factory; }
void setEditorFactory(TEditorFactory* factory) { g_factory = factory; }

} // namespace vk
