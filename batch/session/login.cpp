// SPDX-License-Identifier: MIT
// The login commands: login opens the current session's connection, gatelogin logs in to a
// further host through the gateway that the session is logged in to.
#include "interpreter.h"
#include "quarv32_session.h"

// login host [user [password [account]]]: retried without a connection check, since
// there is no connection yet to check.
int CInterpreter::ExecLogin(CValue& value) {
    static constexpr CommandForm kForm{"ExecLogin", "Login", "<string>", "login"};
    return ExecLoginTo(kForm, value, 0, &CSession::Login);
}

// gatelogin host [user [password [account]]]
int CInterpreter::ExecGateLogin(CValue& value) {
    static constexpr CommandForm kForm{"ExecGateLogin", "GateLogin", "<string>", "GateLogin"};
    return ExecLoginTo(kForm, value, 1, &CSession::GateLogin);
}

int CInterpreter::ExecLoginTo(const CommandForm& form, CValue& value, int reconnect,
                              LoginOperation login) {
    BeginCommand(form);
    // A password with a delimiter in it, written without quotes, would reach the server cut
    // short: refused, and nothing of it is shown.
    if (LoginSecretSplit(tokenizer_.Rest()))
        return FinishCommand(
            form, value,
            SyntaxError(form.handler, form.item, "<password or account in quotes>", "****"));
    std::string host, user, password, account;
    if (!ReadLoginParameters(host, user, password, account))
        return FinishCommand(form, value, CommandSyntaxError(form));
    AskHostForCredentials(host, user, password, account);
    const int result =
        Retried(reconnect, [&](int) { return (current_->*login)(host, user, password, account); });
    if (result == 0) StartHostProgress();
    return FinishCommand(form, value, result);
}
