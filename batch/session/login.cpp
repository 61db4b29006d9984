// The login command: opens the current session's connection.
#include "interpreter.h"
#include "quarv32_session.h"

// login host [user [password [account]]]
int CInterpreter::ExecLogin(CValue& value) {
    static constexpr CommandForm kForm{"ExecLogin", "Login", "<string>", "login"};
    BeginCommand(kForm);
    std::string host, user, password, account;
    if (!ReadLoginParameters(host, user, password, account))
        return FinishCommand(kForm, value, CommandSyntaxError(kForm));
    return FinishCommand(kForm, value, current_->Login(host, user, password, account));
}
