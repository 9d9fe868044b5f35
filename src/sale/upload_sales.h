#pragma once

#include "base/ui.h"
#include "data/tdmfm.h"
#include "sale/order_saving.h"

namespace quilmo {

// What an upload did.
struct UploadCounts {
  int sales = 0;            // local sales found
  int shifts = 0;           // closed shift records found
  int sales_uploaded = 0;   // stored on the server by this upload
  int sales_present = 0;    // already there (an earlier upload stopped after its commit)
  int sales_failed = 0;     // stay local
  int shifts_uploaded = 0;  // copied or already there, and removed locally
  int shifts_failed = 0;
  bool server_lost = false;  // the upload stopped because the server went away
};

// Copies the sales saved offline and the closed shift records to the server and removes them
// from the local file, each sale with SaveOrder's own statement (one round trip, its own
// server transaction, nothing added to the shift) and then deleted locally in one local
// transaction. A sale the server already holds is only deleted, so a sale is stored exactly
// once however often an upload is interrupted. A failing sale or shift record is reported and
// stays for the next upload; when the server itself is gone the upload stops there. Shows the
// progress window with the counts. Online only: the caller checks the mode.
UploadCounts UploadSales(TDMFM& dm, Ui& ui, const SaveStepHook& hook = {});

// The sale screen's Ctrl+S: the upload online, and offline the refusal
// "上传只能在连网模式下操作！".
void UploadSalesKey(TDMFM& dm, Ui& ui);

}  // namespace quilmo
