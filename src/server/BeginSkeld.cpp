#include "server/BeginSkeld.h"

#include "counting/AppRecord.h"
#include "counting/DistanceUnit.h"
#include "persistence/AppPersistence.h"
#include "ports/EndSkeldPort.h"
#include "ports/TrayIconPort.h"
#include "server/Communication.h"

SkeldOutcome BeginSkeld(const RequestContext& context, UnsavedSkeld unsaved) {
    AccountState& account = context.Record.Account;
    if (account.SkeldInProgress != 0) {
        return SkeldOutcome::NotSent;
    }
    // Mouse travel alone never starts a skeld.
    if (account.GetUnsentClicks() < 1 && account.GetUnsentKeys() < 1) {
        return SkeldOutcome::NotSent;
    }
    account.SkeldInProgress = 1;
    context.Tray.SetIcon(TrayIconId::Sending);
    context.Tray.SetTooltipText("Sending keys...");
    // The exchange blocks the program for up to a few minutes, and a session that ends meanwhile
    // may not wait for it: the counts go to disk first. The save reads the record only, so the
    // snapshot below is the same.
    if (!context.Persistence.SaveAll(context.Record, context.Frequencies) &&
        unsaved == UnsavedSkeld::Refuse) {
        context.SkeldEnd.EndSkeld();
        return SkeldOutcome::NotSaved;
    }

    Communication request = Communication::ForApplication(context);
    request.ClicksToSend = account.GetUnsentClicks();
    request.KeysToSend = account.GetUnsentKeys();
    request.MilesToSend = DistanceInUnit(account.UnsentMetres, context.Record.Prefs.DistanceType,
                                         /*forServer=*/true);
    request.SendSkeld();
    if (request.SkeldSucceeded()) {
        return request.SavedAfterSkeld() ? SkeldOutcome::Accepted : SkeldOutcome::AcceptedUnsaved;
    }
    return request.TokenWasReset() ? SkeldOutcome::TokenReset : SkeldOutcome::Failed;
}
