#pragma once

#include "base/ui.h"
#include "data/download.h"
#include "data/tdmfm.h"

namespace quilmo {

// The foreground download: the person waits for it behind the progress window, as with
// DownloadMasterData, but the work runs on a thread of its own, on connections of its own
// to the same server database and local file, while the calling (window) thread goes on
// painting and animating the window. User input waits until the download is over. The
// progress window is asked for from the worker, so the Ui builds it on the window thread and
// posts each change there. Returns DownloadMasterData's result; an error that ends the work
// outside the tables is thrown to the caller. Called where no event loop can run (another
// thread, no application), it simply runs DownloadMasterData.
DownloadResult DownloadMasterDataInForeground(TDMFM& dm, Ui& ui, int kind, bool with_promotions);

}  // namespace quilmo
