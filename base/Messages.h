#pragma once
// Every private window message of the program, in one place. The WM_USER
// values are fixed: peers of older versions and the shell rely on them.

#include <cstdint>

namespace kelup {

enum Message : unsigned {
    KM_TRAYICON      = 0x0400 + 0xDE,  // notification-area icon callback (0x04DE)
    KM_SOCKET        = 0x04E0,         // native datagram socket readiness
    KM_PICTURE_DONE  = 0x04E1,         // a picture receive finished (transfer thread)
    KM_SOCKET_IPMSG  = 0x04E2,         // IP Messenger datagram socket readiness

    // Control channel for the test bench and tools: wParam is a QueryId,
    // the result is the value asked for (or -1 for an unknown id).
    KM_QUERY         = 0x8000 + 0x100, // WM_APP + 0x100
    // Writes the send lists to DataDir\lists.dump (UTF-8; list index, TAB,
    // caption, TAB, entry per line) and returns the number of lines.
    KM_DUMPLISTS     = 0x8000 + 0x101,
    // Tests: the moment the deadlines and the placeholders take for now,
    // wParam a serial day number (1899-12-30 = 0), lParam the minute of that
    // day; wParam 0 gives the clock back. A new timer period begins with it.
    KM_SETTODAY      = 0x8000 + 0x102,
    // A sound asked for with a notice has ended (SoundPlayer).
    KM_SOUNDDONE     = 0x8000 + 0x103,
    // A step of a file or picture transfer thread (lParam: its event, owned
    // by the receiver of the message).
    KM_TRANSFER      = 0x8000 + 0x104,
};

// Values readable through KM_QUERY on the main window.
enum class QueryId : int {
    Ready = 0,          // 1 once start-up has finished and the timer runs
    MaxTextNotes = 1,
    MaxImageNotes = 2,
    TextNoteCount = 3,
    ImageNoteCount = 4,
    MouseL = 5,
    MouseR = 6,
    NetworkOff = 7,
    NetDisabled = 8,
    BusyFG = 9,
    TrayIconShown = 10,
    OsLevel = 11,
    TimerIntervalMs = 12,   // current period of the main timer, in ms
    DateUpdates = 13,       // how many date updates the timer has run
    CtrlHeld = 14,
    ShowTaskBar = 15,
    NativeReceived = 16,    // datagrams taken in on the native socket
    IpmReceived = 17,       // ... and on the IP Messenger socket
    // Benchmarks: saves the notes kSaveBenchRounds times over; the result is
    // the wall time of those saves in microseconds (-1 before the notes are read).
    SaveBench = 18,
    SoundsPlayed = 19,      // deadline and test sounds asked for
    Blinks = 20,            // blinks of arrived deadlines done
    // Benchmarks: one date update a day after the last (now stays fixed
    // there), so every placeholder's number changes; the result is its CPU
    // time in microseconds, and the next query gives its wall time.
    DateUpBench = 21,
    DateUpBenchWall = 22,
    // Benchmarks of the compose editor, in microseconds (-1 when not measured):
    // from the last new-note command to the editor ready for typing; from the
    // last "付箋紙へ表示" to the note shown and saved; and, for comparison, a
    // bare dialog with a rich edit made, shown and ready for typing.
    EditorReadyBench = 23,
    EditorApplyBench = 24,
    BareDialogBench = 25,
    // Benchmark clock values (microseconds of the system's monotonic clock):
    // the last "付箋紙へ表示" or send command pressed, the last note that
    // arrived shown, and now.
    PressedAt = 26,
    ReceivedShownAt = 27,
    ClockNow = 28,
    // The transfer: 1 while its listener waits for (or serves) a connection;
    // how many transfers have ended, received or sent, successful or not.
    TransferListening = 29,
    TransfersEnded = 30,
};

inline constexpr int kSaveBenchRounds = 20;

// Property set on the main window once start-up has finished.
inline constexpr wchar_t kReadyProp[] = L"KelupReady";

}  // namespace kelup
