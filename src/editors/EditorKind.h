#pragma once

namespace editors
{

// The two windows that carry the set pages; the few differences between them follow this.
enum class EditorKind
{
    // frmWizard: a new set, page by page.
    Wizard,
    // frmSettings: the loaded set's properties.
    Properties,
};

} // namespace editors
