// Checking one account: log in over POP3 with USER and PASS, ask STAT, log out
// with QUIT. Nothing is ever retrieved or deleted.
#include "app/MailCheckerApp.h"
#include "checking/Pop3Connection.h"
#include "checking/StatReply.h"
#include "resources/Messages.h"

#include <cstdio>
#include <cstring>

namespace {

const u_short kPop3Port = 110;

// The settings file can be edited by hand. A line break inside a command's
// argument would let a second command of the file's choosing reach the
// server, so such an account is not contacted at all.
bool hasLineBreak(const char* text)
{
    return strpbrk(text, "\r\n") != nullptr;
}

void formatCommand(char (&command)[80], const char* verb, const char* argument)
{
    snprintf(command, sizeof command, "%s %s\r\n", verb, argument);
}

}  // namespace

BYTE MailCheckerApp::probeAccount(int accountNumber)
{
    readAccountRecord(accountNumber);
    if (hasLineBreak(workRecord.account) || hasLineBreak(workRecord.password)) {
        showBox(NULL, Box::unsafeCredentials);
        return 0;
    }

    WinsockSession winsock;
    if (!winsock.started()) {
        showBox(NULL, Box::winsockStartup);
        return 0;
    }
    // An empty name (a record that could not be read) would resolve to this
    // machine itself; it names no server.
    hostent* host = workRecord.server[0] ? gethostbyname(workRecord.server) : NULL;
    if (!host || !host->h_addr_list[0]) {
        winsock.cleanUp();
        showBox(NULL, Box::serverNotFound);
        return 0;
    }
    in_addr address;
    memcpy(&address, host->h_addr_list[0], sizeof address);

    Pop3Connection pop3;
    if (!pop3.open()) {
        winsock.cleanUp();
        showBox(NULL, Box::socketOpen);
        return 0;
    }
    Pop3Connection::ConnectResult connected = pop3.connectTo(address, kPop3Port);
    if (connected != Pop3Connection::ConnectResult::connected) {
        pop3.close();
        winsock.cleanUp();
        showBox(NULL, connected == Pop3Connection::ConnectResult::timedOut ? Box::serverTimeout
                                                                           : Box::connectFailed);
        return 0;
    }

    BYTE result = 0;
    Pop3Reply reply;
    char command[80];
    bool answered = pop3.receive(reply);               // greeting, not examined
    if (answered) {
        formatCommand(command, "USER", workRecord.account);
        pop3.send(command);
        answered = pop3.receive(reply);                // not examined
    }
    if (answered) {
        formatCommand(command, "PASS", workRecord.password);
        pop3.send(command);
        answered = pop3.receive(reply);
    }
    if (answered) {
        if (isLoginAccepted(reply.text)) {
            pop3.send("STAT\r\n");
            answered = pop3.receive(reply);
            if (answered)
                evaluateStatReply(reply.text, accountNumber, result);
        } else {
            showBox(NULL, isLoginRefused(reply.text) ? Box::loginRefused : Box::loginUnexpected);
        }
    }

    pop3.send("QUIT\r\n");
    if (answered) {
        // The mailbox has been read; a server slow to say goodbye is not worth
        // a box of its own.
        pop3.receive(reply);
    }
    pop3.close();
    winsock.cleanUp();
    if (!answered)
        showBox(NULL, Box::serverTimeout);
    return result;
}
