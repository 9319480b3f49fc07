#include "app/camera/app/orla_kavo.h"
#include "app/camera/tests/tree_fixture.h"

namespace {

using camera_test::SimTree;
using camera_test::TraceCount;

// Writes down what it is told, and answers with `pass`.
struct Listener : IQzKavoUser {
    explicit Listener(std::string name, std::vector<std::string>* log, uint32_t pass = 1)
        : name(std::move(name)), log(log), pass(pass)
    {
    }
    uint32_t OnKavoProgress(uint32_t level, CKavoBase*, uint32_t, uint32_t, uint32_t done, uint32_t total) override
    {
        log->push_back(name + " progress " + std::to_string(level) + " " + std::to_string(done) + "/" +
                       std::to_string(total));
        return pass;
    }
    uint32_t OnKavoChildAdded(uint32_t level, CKavoBase*) override
    {
        log->push_back(name + " added " + std::to_string(level));
        return pass;
    }
    uint32_t OnKavoRemoved(uint32_t level, CKavoBase*) override
    {
        log->push_back(name + " removed " + std::to_string(level));
        return pass;
    }
    uint32_t OnKavoCapabilityChanged(uint32_t level, CKavoBase*, uint32_t cap, uint32_t kind) override
    {
        char text[64];
        std::snprintf(text, sizeof(text), " changed %u 0x%x %u", level, cap, kind);
        log->push_back(name + text);
        return pass;
    }
    std::string name;
    std::vector<std::string>* log;
    uint32_t pass;
};

struct Prompt : IKavoPrompt {
    uint32_t Ask(const char* text, uint32_t style) override
    {
        asked.push_back({text, style});
        return answer;
    }
    std::vector<std::pair<std::string, uint32_t>> asked;
    uint32_t answer = kAnswerOk;
};

TEST(OrlaKavo, NotificationsWalkFromTheItemToTheSourceToTheModule)
{
    std::vector<std::string> log;
    Listener app("app", &log), camera("camera", &log), picture("picture", &log);
    SimTree<COrlaKavoModule> t("items 1\n");
    t.module->SetListener(&app);
    auto* source = dynamic_cast<COrlaKavoSource*>(t.OpenSource());
    ASSERT_NE(nullptr, source);
    EXPECT_EQ((std::vector<std::string>{}), log);  // the enumeration opens without an event
    CKavoBase* made = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &made));
    auto* item = dynamic_cast<COrlaKavoItem*>(made);
    ASSERT_NE(nullptr, item);

    // Without listeners of their own, the item and the camera report to the module's.
    item->OnCapabilityChanged(14, 1);
    source->OnCapabilityChanged(0x8112, 0);
    t.module->OnCapabilityChanged(9, 1);
    EXPECT_EQ((std::vector<std::string>{"app changed 3 0xe 1", "app changed 2 0x8112 0", "app changed 1 0x9 1"}), log);
    log.clear();
    source->SetListener(&camera);
    item->SetListener(&picture);
    item->OnProgress(kKavoStart, 20, 5, 10);
    EXPECT_EQ((std::vector<std::string>{"picture progress 3 5/10", "camera progress 3 5/10", "app progress 3 5/10"}),
              log);
    // Without its own, the item reports to the camera's, then to the module's.
    log.clear();
    item->SetListener(nullptr);
    item->OnCapabilityChanged(14, 0);
    EXPECT_EQ((std::vector<std::string>{"camera changed 3 0xe 0", "app changed 3 0xe 0"}), log);
    item->SetListener(&picture);
    // A listener that answers 0 hides it from those after it.
    log.clear();
    camera.pass = 0;
    item->OnProgress(kKavoStart, 20, 6, 10);
    EXPECT_EQ((std::vector<std::string>{"picture progress 3 6/10", "camera progress 3 6/10"}), log);
    // The same listener at two levels is asked once.
    log.clear();
    camera.pass = 1;
    item->SetListener(&camera);
    item->OnProgress(kKavoStart, 20, 7, 10);
    EXPECT_EQ((std::vector<std::string>{"camera progress 3 7/10", "app progress 3 7/10"}), log);
    EXPECT_EQ(nullptr, t.module->GetNextListener(&app));
}

TEST(OrlaKavo, ANewPictureAndAGoneCameraReachTheListeners)
{
    std::vector<std::string> log;
    Listener app("app", &log);
    SimTree<COrlaKavoModule> t("");
    t.module->SetListener(&app);
    ASSERT_EQ(1u, t.module->EnableCap8101(1));
    uint32_t value = 0;
    ASSERT_EQ(0, t.module->CallModule(t.module.get(), kKavoGet, 0x8101, kKavoDataUint, &value, nullptr, nullptr));
    EXPECT_EQ(1u, value);
    auto* source = dynamic_cast<COrlaKavoSource*>(t.OpenSource());
    ASSERT_NE(nullptr, source);
    CCommandQueue queue;
    ASSERT_EQ(0, source->QueueCapture(&queue));
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    ASSERT_EQ(1u, source->GetChildren().size());
    EXPECT_NE(nullptr, dynamic_cast<COrlaKavoItem*>(source->GetChildren()[0].Get()));
    t.Act("disconnect");
    t.RunIdle();
    t.Act("reconnect");
    EXPECT_EQ((std::vector<std::string>{"app added 3", "app removed 2", "app added 2"}), log);
    ASSERT_EQ(1u, t.module->GetChildren().size());
    EXPECT_EQ(2u, t.module->GetChildren()[0].Get()->GetId());

    SimTree<COrlaKavoModule> refusing("fail busy module set 0x8101\n");
    EXPECT_EQ(0u, refusing.module->EnableCap8101(0));
}

TEST(OrlaKavo, UserRequestsAreAskedWithTheStyleOfTheirKind)
{
    struct Case {
        uint32_t kind, defaultAnswer;
        uint32_t style;
    } cases[] = {
        {0, 1, IKavoPrompt::kIconExclamation | IKavoPrompt::kOk},
        {1, 1, IKavoPrompt::kIconQuestion | IKavoPrompt::kOkCancel},
        {1, 2, IKavoPrompt::kIconQuestion | IKavoPrompt::kOkCancel | IKavoPrompt::kDefaultButton2},
        {2, 3, IKavoPrompt::kIconQuestion | IKavoPrompt::kYesNo},
        {2, 4, IKavoPrompt::kIconQuestion | IKavoPrompt::kYesNo | IKavoPrompt::kDefaultButton2},
        {3, 3, IKavoPrompt::kIconQuestion | IKavoPrompt::kYesNoCancel},
        {3, 4, IKavoPrompt::kIconQuestion | IKavoPrompt::kYesNoCancel | IKavoPrompt::kDefaultButton2},
        {3, 2, IKavoPrompt::kIconQuestion | IKavoPrompt::kYesNoCancel | IKavoPrompt::kDefaultButton3},
        {9, 1, IKavoPrompt::kOk},
    };
    for (const Case& c : cases) {
        Prompt prompt;
        prompt.answer = IKavoPrompt::kAnswerNo;
        COrlaKavoModule module(&prompt);
        KavoUserRequest request = {c.kind, c.defaultAnswer, 0, "Format the card?", "", 0, nullptr};
        EXPECT_EQ(uint32_t{kKavoAnswerNo}, module.OnUserRequest(&request));
        ASSERT_EQ(1u, prompt.asked.size());
        EXPECT_EQ("Format the card?", prompt.asked[0].first);
        EXPECT_EQ(c.style, prompt.asked[0].second) << c.kind << " " << c.defaultAnswer;
    }
    // A detail goes on its own line; capabilities in the request bring a box first.
    Prompt prompt;
    prompt.answer = 99;
    COrlaKavoModule module(&prompt);
    uint32_t capabilities[1] = {0x8112};
    KavoUserRequest request = {1, 1, 0, "Delete?", "All pictures", 0, capabilities};
    EXPECT_EQ(uint32_t{kKavoAnswerNone}, module.OnUserRequest(&request));
    ASSERT_EQ(2u, prompt.asked.size());
    EXPECT_EQ("Uh oh.  Capabilities in the message box...", prompt.asked[0].first);
    EXPECT_EQ("Delete?\rAll pictures", prompt.asked[1].first);
    // No prompt: No, Cancel or OK without a box.
    module.SetNoPrompt(1);
    for (const auto& [kind, answer] : {std::pair<uint32_t, uint32_t>{0, 1}, {1, 1}, {2, 4}, {3, 2}}) {
        request.kind = kind;
        EXPECT_EQ(answer, module.OnUserRequest(&request)) << kind;
    }
    EXPECT_EQ(2u, prompt.asked.size());
}

TEST(OrlaKavo, TheModulesRequestsReachTheBoxThroughTheTree)
{
    Prompt prompt;
    prompt.answer = IKavoPrompt::kAnswerYes;
    SimTree<COrlaKavoModule> t("request 2 4 source start 17 : Take it? | Card almost full\n",
                               std::make_unique<COrlaKavoModule>(&prompt));
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CCommandQueue queue;
    ASSERT_EQ(0, source->QueueCapture(&queue));
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    ASSERT_EQ(1u, prompt.asked.size());
    EXPECT_EQ("Take it?\rCard almost full", prompt.asked[0].first);
    EXPECT_EQ(1u, TraceCount(t.sim, {"callback request src1 2 \"Take it?\" -> 3"}));
    EXPECT_EQ(1u, source->GetChildren().size());
}

}  // namespace
