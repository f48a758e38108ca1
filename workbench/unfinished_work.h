// Work a stopped command left on a unit: when the unit lacks what an open journal entry
// would put back (vectors erased with its top segment, a settings block left blank), the
// person is asked, with the entry named, whether to finish it; the finish is read back
// like any write. An entry is never applied to a unit without that question.
#pragma once

#include "workbench/unit_steps.h"

namespace rilo {

inline constexpr const char *kUnfinishedCaption = "未完成的工作";

// After the handshake and the identification. True when the command may go on: nothing
// was left unfinished on this unit, or it is finished now. False after saying why: the
// person chose to leave the unit alone, the finish failed, or the ledger is unusable.
bool SettleUnfinishedWork(UnitSteps &steps);

}  // namespace rilo
