#pragma once
// The property editors the elements ask for, made as widgets. Installed once
// by whoever runs a GUI (the program, GUI tests).

#include "ui/PropertyEditor.h"

namespace vk {

class TWidgetEditorFactory final : public TEditorFactory {
public:
    std::unique_ptr<TPropertyEditorHandle> Create(TEditorKind kind, QWidget* parent,
                                                  const QString& unitName, int helpContext,
                                                  const TEditorValues& initial) override;
};

// Installs a factory that lives as long as the program.
void InstallWidgetEditorFactory();

} // namespace vk
