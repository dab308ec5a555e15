// The DDE client against Program Manager servers of the test's own, on a private desktop where
// the shell's real server cannot answer.
#include <dde.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/installer_state.h"
#include "base/manifest.h"
#include "shell/progman_commands.h"
#include "shell/progman_conversation.h"
#include "shell/progman_dde.h"
#include "shell/progman_execute.h"
#include "tests/support/wine_test_support.h"
#include "tests/win32/shell/dde_test_support.h"

namespace {

using pagix_test::DrainQueue;
using pagix_test::MessageBoxAnswerer;
using shell_test::AtomCounter;
using shell_test::g_Client;
using shell_test::PumpUntil;

const char kDefaultDestination[] = "C:/Program Files/Marrowby/Pagix/";

int g_AnswerSequence = 0;

std::string AtomName(ATOM atom) {
  char name[256] = {};
  GlobalGetAtomNameA(atom, name, sizeof name);
  return name;
}

// A top-level window that plays Program Manager's part of the conversation and records what
// reaches it.
struct TestServer {
  // Behaviour.
  bool AnswerInitiate = true;
  bool AckExecute = true;
  WORD AckStatus = 0x8000;
  bool AnswerTerminate = false;
  // What happened.
  HWND Window = nullptr;
  HWND Client = nullptr;
  int AnsweredAs = 0;  // 1 for the first server to answer, 2 for the second...
  std::vector<std::vector<unsigned char>> Executes;
  std::vector<SIZE_T> ExecuteSizes;
  std::vector<HWND> ExecuteSenders;
  std::vector<HGLOBAL> ExecuteHandles;
  std::vector<HWND> Terminates;

  TestServer() {
    Window = shell_test::CreateTestWindow("PagixTestProgmanServer", Proc, "server", WS_OVERLAPPED,
                                          {0, 0, 50, 50}, this);
  }
  ~TestServer() {
    if (IsWindow(Window)) DestroyWindow(Window);
  }

  void PostAck(WORD status, HGLOBAL commands) {
    PostMessageA(Client, WM_DDE_ACK, reinterpret_cast<WPARAM>(Window),
                 PackDDElParam(WM_DDE_ACK, status, reinterpret_cast<UINT_PTR>(commands)));
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestServer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
      case WM_DDE_INITIATE:
        self->OnInitiate(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
      case WM_DDE_EXECUTE:
        self->OnExecute(reinterpret_cast<HWND>(wParam), reinterpret_cast<HGLOBAL>(lParam));
        return 0;
      case WM_DDE_TERMINATE:
        self->Terminates.push_back(reinterpret_cast<HWND>(wParam));
        if (self->AnswerTerminate) {
          PostMessageA(reinterpret_cast<HWND>(wParam), WM_DDE_TERMINATE,
                       reinterpret_cast<WPARAM>(window), 0);
        }
        return 0;
      default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
  }

  void OnInitiate(HWND client, LPARAM lParam) {
    if (!AnswerInitiate || client == Window) return;
    // Atoms keep the spelling of their first user (the shell registers "Progman"); names match
    // without regard to case.
    if (lstrcmpiA(AtomName(LOWORD(lParam)).c_str(), "PROGMAN") != 0 ||
        lstrcmpiA(AtomName(HIWORD(lParam)).c_str(), "PROGMAN") != 0) {
      return;
    }
    Client = client;
    AnsweredAs = ++g_AnswerSequence;
    // A server answers with atoms of its own, which the client deletes.
    ATOM application = GlobalAddAtomA("PROGMAN");
    ATOM topic = GlobalAddAtomA("PROGMAN");
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(Window),
                 MAKELPARAM(application, topic));
  }

  void OnExecute(HWND client, HGLOBAL commands) {
    ExecuteSenders.push_back(client);
    ExecuteHandles.push_back(commands);
    SIZE_T size = GlobalSize(commands);
    ExecuteSizes.push_back(size);
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(commands));
    Executes.emplace_back(bytes, bytes ? bytes + size : bytes);
    GlobalUnlock(commands);
    if (AckExecute) PostAck(AckStatus, commands);
  }
};

class ProgmanDdeTest : public testing::Test {
 protected:
  void SetUp() override {
    g_Installer.Progman.Server = nullptr;
    g_Installer.Progman.State = kProgmanIdle;
    g_Installer.AbortRequested = 0;
    g_AnswerSequence = 0;
    g_Client = {};
    client_ = shell_test::CreateClientWindow("client");
    ASSERT_TRUE(client_);
  }
  void TearDown() override {
    DestroyWindow(client_);
    servers_.clear();
    DrainQueue();
  }

  TestServer& AddServer() {
    servers_.push_back(std::make_unique<TestServer>());
    return *servers_.back();
  }

  void Connect() {
    MessageBoxAnswerer boxes;
    ProgmanConnect(client_);
    EXPECT_TRUE(boxes.Seen().empty());
    ASSERT_TRUE(g_Installer.Progman.Server);
  }

  void CreateDefaultGroup() {
    ProgmanCreateGroup(client_, kProgmanGroupName, kDefaultDestination, kGroupItemFiles,
                       kGroupItemTitles, 2);
  }

  static void ExpectOneError(const MessageBoxAnswerer& boxes, const char* text) {
    ASSERT_EQ(1u, boxes.Seen().size());
    EXPECT_EQ("Pagix 0.9d Install", boxes.Seen()[0].Caption);
    EXPECT_EQ(text, boxes.Seen()[0].Text);
    EXPECT_EQ("error", boxes.Seen()[0].Icon);
    EXPECT_EQ(std::vector<int>{IDOK}, boxes.Seen()[0].Buttons);
    EXPECT_EQ(1, g_Installer.AbortRequested);
  }

  HWND client_ = nullptr;
  std::vector<std::unique_ptr<TestServer>> servers_;
};

TEST_F(ProgmanDdeTest, NoServerAnswersOneBoxAndLaterGroupStepFails) {
  AddServer().AnswerInitiate = false;
  AtomCounter atoms;
  ASSERT_TRUE(atoms.Counting());
  MessageBoxAnswerer boxes;
  ProgmanConnect(client_);
  ExpectOneError(boxes, "Cannot establish DDE link : Program Manager.");
  EXPECT_EQ(nullptr, g_Installer.Progman.Server);
  EXPECT_EQ(0, g_Installer.Progman.State);
  // The client's own references to "PROGMAN" were all given back.
  EXPECT_EQ(0, atoms.Balance("PROGMAN"));

  // The dialog clears the flag after connecting; the group step then finds no conversation.
  g_Installer.AbortRequested = 0;
  boxes.Clear();
  CreateDefaultGroup();
  ExpectOneError(boxes, "Program Manager DDE : execute failed");
  EXPECT_EQ(0, g_Installer.Progman.State);
}

TEST_F(ProgmanDdeTest, FirstAnsweringServerKeepsTheConversationOthersAreDismissed) {
  TestServer& a = AddServer();
  TestServer& b = AddServer();
  a.AnswerTerminate = b.AnswerTerminate = true;
  AtomCounter atoms;
  ASSERT_TRUE(atoms.Counting());
  Connect();
  EXPECT_EQ(0, g_Installer.Progman.State);
  ASSERT_EQ(3, a.AnsweredAs + b.AnsweredAs);
  TestServer& first = a.AnsweredAs == 1 ? a : b;
  TestServer& second = a.AnsweredAs == 1 ? b : a;
  EXPECT_EQ(first.Window, g_Installer.Progman.Server);

  // The dismissed server answers the terminate with its own, which the client ignores.
  DrainQueue();
  EXPECT_EQ(std::vector<HWND>{client_}, second.Terminates);
  EXPECT_TRUE(first.Terminates.empty());
  EXPECT_EQ(first.Window, g_Installer.Progman.Server);
  // Both answers' atoms and the client's own were deleted.
  EXPECT_EQ(0, atoms.Balance("PROGMAN"));
}

TEST_F(ProgmanDdeTest, ExecuteBlockHoldsExactlyTheDefaultCommands) {
  TestServer& server = AddServer();
  Connect();
  CreateDefaultGroup();
  EXPECT_EQ(WM_DDE_EXECUTE, g_Installer.Progman.State);
  ASSERT_TRUE(PumpUntil([] { return g_Installer.Progman.State == 0; }));
  ASSERT_EQ(1u, server.Executes.size());
  EXPECT_EQ(client_, server.ExecuteSenders[0]);
  EXPECT_EQ(166u, server.ExecuteSizes[0]);
  std::vector<unsigned char> expected(166);
  FormatProgmanCommands(reinterpret_cast<char*>(expected.data()), expected.size(),
                        kProgmanGroupName, kDefaultDestination, kGroupItemFiles, kGroupItemTitles,
                        2);
  EXPECT_EQ(expected, server.Executes[0]);
  EXPECT_EQ(1, g_Client.ExecuteAcks);
}

TEST_F(ProgmanDdeTest, AnyAcknowledgementCompletesTheRequestWithoutABox) {
  struct Case {
    const char* Name;
    WORD Status;
  };
  for (Case c : {Case{"positive", 0x8000}, Case{"negative", 0}, Case{"busy", 0x4000}}) {
    SCOPED_TRACE(c.Name);
    servers_.clear();
    TestServer& server = AddServer();
    server.AckStatus = c.Status;
    g_Installer.Progman.Server = nullptr;
    Connect();
    HWND bystander = shell_test::CreateClientWindow("bystander");
    SetFocus(bystander);
    MessageBoxAnswerer boxes;
    CreateDefaultGroup();
    ASSERT_TRUE(PumpUntil([] { return g_Installer.Progman.State == 0; }));
    DrainQueue();
    EXPECT_EQ(c.Status, g_Client.LastAckStatus);
    // The answer carried the client's own command block back (the window manager hands the
    // server a copy and maps it back), and the client released it, and then the packed pair.
    EXPECT_EQ(166u, g_Client.LastAckBlockSize);
    EXPECT_TRUE(g_Client.LastAckBlockFreed);
    EXPECT_NE(0u, g_Client.LastAckPairSize);
    EXPECT_TRUE(g_Client.LastAckPairFreed);
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(0, g_Installer.AbortRequested);
    EXPECT_EQ(client_, GetFocus());
    // The same conversation takes the next request.
    CreateDefaultGroup();
    ASSERT_TRUE(PumpUntil([] { return g_Installer.Progman.State == 0; }));
    EXPECT_EQ(2u, server.Executes.size());
    EXPECT_TRUE(boxes.Seen().empty());
    DestroyWindow(bystander);
    ProgmanDisconnect(client_);
    DrainQueue();
  }
}

TEST_F(ProgmanDdeTest, RequestWhileOneIsOutstandingFailsAndPostsNothing) {
  TestServer& server = AddServer();
  server.AckExecute = false;
  Connect();
  CreateDefaultGroup();
  ASSERT_TRUE(PumpUntil([&] { return server.Executes.size() == 1; }));
  EXPECT_EQ(WM_DDE_EXECUTE, g_Installer.Progman.State);

  MessageBoxAnswerer boxes;
  CreateDefaultGroup();
  ExpectOneError(boxes, "Program Manager DDE : execute failed");
  DrainQueue();
  EXPECT_EQ(1u, server.Executes.size());
  EXPECT_EQ(WM_DDE_EXECUTE, g_Installer.Progman.State);

  // The late acknowledgement still completes the first request.
  server.PostAck(0x8000, server.ExecuteHandles[0]);
  ASSERT_TRUE(PumpUntil([] { return g_Installer.Progman.State == 0; }));
  EXPECT_EQ(1u, boxes.Seen().size());
}

TEST_F(ProgmanDdeTest, ServerThatTerminatesFirstIsAnsweredOnceAndLaterRequestsFail) {
  TestServer& server = AddServer();
  Connect();
  PostMessageA(client_, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(server.Window), 0);
  ASSERT_TRUE(PumpUntil([] { return g_Installer.Progman.Server == nullptr; }));
  DrainQueue();
  EXPECT_EQ(std::vector<HWND>{client_}, server.Terminates);

  MessageBoxAnswerer boxes;
  CreateDefaultGroup();
  ExpectOneError(boxes, "Program Manager DDE : execute failed");
  DrainQueue();
  EXPECT_TRUE(server.Executes.empty());
  EXPECT_EQ(1u, server.Terminates.size());
}

TEST_F(ProgmanDdeTest, DisconnectPostsOneTerminateAndIgnoresTheAnswer) {
  TestServer& server = AddServer();
  server.AnswerTerminate = true;
  Connect();
  ProgmanDisconnect(client_);
  EXPECT_EQ(nullptr, g_Installer.Progman.Server);
  DrainQueue();
  EXPECT_EQ(std::vector<HWND>{client_}, server.Terminates);
  EXPECT_EQ(nullptr, g_Installer.Progman.Server);
}

TEST_F(ProgmanDdeTest, VanishedServerGetsNoTerminateAndRefusesTheRequest) {
  TestServer& server = AddServer();
  Connect();
  DestroyWindow(server.Window);
  MessageBoxAnswerer boxes;
  CreateDefaultGroup();
  ExpectOneError(boxes, "Program Manager DDE : execute failed");
  EXPECT_EQ(0, g_Installer.Progman.State);
  // Neither a disconnect nor the server's own late terminate posts to a window that is gone.
  ProgmanOnTerminate(client_, g_Installer.Progman.Server);
  EXPECT_EQ(nullptr, g_Installer.Progman.Server);
  ProgmanDisconnect(client_);
  DrainQueue();
  EXPECT_TRUE(server.Terminates.empty());
}

TEST_F(ProgmanDdeTest, AbortRequestedPostsNothingAndShowsNothing) {
  TestServer& server = AddServer();
  Connect();
  g_Installer.AbortRequested = 1;
  MessageBoxAnswerer boxes;
  CreateDefaultGroup();
  DrainQueue();
  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_TRUE(server.Executes.empty());
  EXPECT_EQ(0, g_Installer.Progman.State);
  EXPECT_EQ(1, g_Installer.AbortRequested);
}

TEST_F(ProgmanDdeTest, AcknowledgementWhileIdleChangesNothing) {
  TestServer& server = AddServer();
  Connect();
  AtomCounter atoms;
  ASSERT_TRUE(atoms.Counting());
  ATOM atom = GlobalAddAtomA("PagixIdleAck");
  ProgmanOnAck(client_, server.Window, MAKELPARAM(atom, atom));
  EXPECT_EQ(1, atoms.Balance("PagixIdleAck"));
  EXPECT_EQ(server.Window, g_Installer.Progman.Server);
  EXPECT_EQ(0, g_Installer.Progman.State);
  GlobalDeleteAtom(atom);
}

// The uninstaller's exchange: one command on a conversation of its own, ended before it returns.
TEST_F(ProgmanDdeTest, OneCommandExchangeGivesTheServersAnswer) {
  struct Case {
    const char* Name;
    bool Answers, Acks;
    WORD Status;
    int Result;
  };
  for (Case c : {Case{"accepted", true, true, 0x8000, kProgmanAccepted},
                 Case{"refused", true, true, 0, kProgmanRefused},
                 Case{"busy", true, true, 0x4000, kProgmanRefused},
                 Case{"silent", true, false, 0, kProgmanNoAnswer},
                 Case{"no server", false, false, 0, kProgmanNoServer}}) {
    SCOPED_TRACE(c.Name);
    servers_.clear();
    TestServer& server = AddServer();
    server.AnswerInitiate = c.Answers;
    server.AckExecute = c.Acks;
    server.AckStatus = c.Status;
    server.AnswerTerminate = true;
    char command[64];
    FormatProgmanDeleteGroup(command, sizeof command, kProgmanGroupName);
    EXPECT_EQ(c.Result, ProgmanExecute(command, c.Acks ? 5000 : 200));
    if (!c.Answers) continue;
    ASSERT_EQ(1u, server.Executes.size());
    // The command with its NUL, no byte more.
    EXPECT_EQ(std::vector<unsigned char>(command, command + strlen(command) + 1),
              server.Executes[0]);
    EXPECT_EQ(1u, server.Terminates.size());
  }
}

// Each call of the message filter: window, message, action, and the server known at the time.
using FilterCall = std::tuple<HWND, UINT, DWORD, HWND>;
std::vector<FilterCall> g_FilterCalls;

BOOL WINAPI RecordFilterCall(HWND window, UINT message, DWORD action, void*) {
  g_FilterCalls.emplace_back(window, message, action, g_Installer.Progman.Server);
  return TRUE;
}

// Wine has the filter but no integrity levels that it would act on: only its calls show.
TEST_F(ProgmanDdeTest, ClientLetsTheAnswersThroughTheMessageFilterBeforeTheInitiate) {
  const auto findFilter = g_FindProgmanMessageFilter;
  EXPECT_TRUE(findFilter());  // found in Wine's user32, as in every Windows since 7
  AddServer();
  g_FilterCalls.clear();
  g_FindProgmanMessageFilter = []() -> ProgmanMessageFilter { return RecordFilterCall; };
  Connect();
  const DWORD allow = 1;  // MSGFLT_ALLOW
  EXPECT_EQ((std::vector<FilterCall>{{client_, WM_DDE_ACK, allow, nullptr},
                                     {client_, WM_DDE_TERMINATE, allow, nullptr}}),
            g_FilterCalls);
  // Where the system has no filter, the conversation starts all the same.
  g_FindProgmanMessageFilter = []() -> ProgmanMessageFilter { return nullptr; };
  g_Installer.Progman.Server = nullptr;
  Connect();
  g_FindProgmanMessageFilter = findFilter;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any window: on a desktop of its own the test's servers are the only ones to answer.
  return pagix_test::RunTestsOnPrivateDesktop("PagixShellDdeTest", argc, argv);
}
