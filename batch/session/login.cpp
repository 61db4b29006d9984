// The login commands: login opens the current session's connection, gatelogin logs in to a
// further host through the gateway that the session is logged in to.
#include "interpreter.h"
#include "quarv32_session.h"

// login host [user [password [account]]]: retried without a connection check, since
// there is no connection yet to check.
int CInterpreter::ExecLogin(CValue& value) {
    static constexpr CommandForm kForm{"ExecLogin", "Login", "<string>", "login"};
    BeginCommand(kForm);
    std::string host, user, password, account;
    if (!ReadLoginParameters(host, user, password, account))
        return FinishCommand(kForm, value, CommandSyntaxError(kForm));
    const int result =
        Retried(0, [&](int) { return current_->Login(host, user, password, account); });
    return FinishCommand(kForm, value, result);
}

// gatelogin host [user [password [account]]]
int CInterpreter::ExecGateLogin(CValue& value) {
    static constexpr CommandForm kForm{"ExecGateLogin", "GateLogin", "<string>", "GateLogin"};
    BeginCommand(kForm);
    std::string host, user, password, account;
    if (!ReadLoginParameters(host, user, password, account))
        return FinishCommand(kForm, value, CommandSyntaxError(kForm));
    const int result =
        Retried(1, [&](int) { return current_->GateLogin(host, user, password, account); });
    return FinishCommand(kForm, value, result);
}
