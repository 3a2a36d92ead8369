#pragma once
#include <windows.h>

#include "HostServer.h"
#include "host/AutomationValue.h"
#include "platform/win32/Owner.h"

namespace MorlaventMenu::TestServer {

// The IDispatch through which a client reaches one object of the simulated host, written
// by hand (no type library): GetIDsOfNames answers the ids of MemberIds.h, Invoke turns
// the call into the host's member name, kind and arguments, runs it on the host and turns
// the answer back into a VARIANT, an IDispatch for an object, or a failure:
//   - the host's RPC failures (RPC_E_CALL_REJECTED, RPC_E_DISCONNECTED) as Invoke's own
//     result, as the COM channel reports them;
//   - the automation dispatcher's own failures (DISP_E_MEMBERNOTFOUND, DISP_E_TYPEMISMATCH,
//     ...) that carry no texts as Invoke's own result too, as a dispatcher built on a type
//     library reports them (callers look for DISP_E_MEMBERNOTFOUND there);
//   - every other failure as DISP_E_EXCEPTION, with its number, description and source in
//     the EXCEPINFO.
// Each object counts among the server's live objects while a client holds it.
ComPtr<IDispatch> MakeHostDispatch(HostServer& server, ObjectRef object);

}  // namespace MorlaventMenu::TestServer
