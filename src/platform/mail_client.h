#pragma once
// Handing a mail with an attachment to the desktop's mail client through xdg-email.
#include <QString>

struct MailRequest {
    QString subject;
    QString body;
    QString attachment; // absolute path, or empty
    QString address;    // one plain address
};

// Runs "xdg-email --subject S --body B [--attach PATH] ADDRESS" (found on PATH, no shell)
// and waits for it while window events keep being processed. Returns its exit code: 0 when
// the mail was handed over; 1 when xdg-email is missing or could not run.
int HandMailToClient(const MailRequest& mail);
