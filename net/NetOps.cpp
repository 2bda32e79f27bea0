// The main window's LAN operations. The sockets and the send lists come with
// the network; until then the program runs as if the network were quiet.

#include "app/RARADAVE.h"

namespace kelup {

void RARADAVE::LoadLists() {}
void RARADAVE::ListSave() {}
void RARADAVE::AllListWrite() {}
int RARADAVE::IP_Init() { return 0; }
void RARADAVE::IP_Close() {}
void RARADAVE::BroadCastExit() {}
void RARADAVE::RecipientSearch() {}
void RARADAVE::OnSocket(WPARAM, LPARAM, bool) {}

}  // namespace kelup
