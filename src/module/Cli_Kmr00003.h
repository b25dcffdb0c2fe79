#pragma once
// The screen unit of the module: the screen created by the entry point, the
// colour choices that outlive it, and the entry point itself.

#include <QString>
#include <QVariant>

class TfrmConfGrupo;

// The screen of the running entry call; null outside a call. Not owning: the
// entry point owns the screen for the length of the call.
extern __attribute__((visibility("default"))) TfrmConfGrupo* frmConfGrupo;

// Last colours chosen on the colour screen (decimal colour value, or "X" when
// none was chosen). They live as long as the module is loaded. Exported, as
// is the screen reference.
extern __attribute__((visibility("default"))) QString CorButton;
extern __attribute__((visibility("default"))) QString CorFonte;

constexpr int NRBUTTONSGRUP = 12;
constexpr int NRBUTTONSPROD = 36;

namespace Cli_Kmr00003 {
// Creates, initialises and shows the configuration screen modally; returns
// when it has been closed. arParams names the configuration edited: element 0
// a map with the keys "CDFILIAL", "NRCONFTELA" and "CDLOJA" (any may be left
// out); an empty array, or one without a map, keeps the defaults. result is
// left as given.
// Never throws: a failure is reported to the operator once, and the call returns.
void CriaTelaKmr00003(const QVariantList& arParams, QVariant& result) noexcept;
} // namespace Cli_Kmr00003
