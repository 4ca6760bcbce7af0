// The process-wide objects, defined together so that they are constructed in this order
// and destroyed in the reverse order when the module is unloaded.
#include "host/HostApiTable.h"
#include "settings/EndingInfo.h"

CEndingInfo g_endingInfo;
std::unique_ptr<CHostApiTable> g_hostApi;
