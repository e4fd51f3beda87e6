#include "NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

TEST(NotificationCenter, RemovalWaitsForAHandlerRunningElsewhere) {
    NotificationCenter centre;
    std::atomic<bool> inHandler{false}, handlerDone{false};
    int owner = 0;
    centre.addObserver(&owner, "Progress", [&](const Notification&) {
        inHandler = true;
        std::this_thread::sleep_for(100ms);
        handlerDone = true;
    });
    std::thread poster([&] { centre.post("Progress"); });
    while (!inHandler)
        std::this_thread::yield();
    centre.removeObserver(&owner);
    EXPECT_TRUE(handlerDone); // the owner may go away now
    poster.join();

    int calls = 0;
    centre.addObserver(&owner, "Progress", [&](const Notification&) { ++calls; });
    centre.removeObserver(&owner, "Progress");
    centre.post("Progress");
    EXPECT_EQ(calls, 0);
}

TEST(NotificationCenter, HandlersMayRemoveThemselvesAndPostAgain) {
    NotificationCenter centre;
    int owner = 0, calls = 0, echoes = 0;
    centre.addObserver(&owner, "Once", [&](const Notification& n) {
        ++calls;
        centre.removeObserver(&owner, "Once");
        centre.post("Echo", nullptr, n.userInfo);
    });
    centre.addObserver(&owner, "Echo", [&](const Notification& n) { echoes += n.userInfo.value("k").toInt(); });
    centre.post("Once", nullptr, {{"k", 2}});
    centre.post("Once", nullptr, {{"k", 2}});
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(echoes, 2);
}

TEST(NotificationCenter, RetainedObjectOutlivesThePosterAndKeepsItsType) {
    NotificationCenter center;
    std::weak_ptr<QString> watch;
    std::shared_ptr<QString> received;
    std::shared_ptr<int> wrongType;
    int owner = 0;
    center.addObserver(&owner, "N", [&](const Notification& n) {
        received = retainedObject<QString>(n.userInfo);
        wrongType = retainedObject<int>(n.userInfo);
    });
    {
        auto object = std::make_shared<QString>("record");
        watch = object;
        QVariantMap info;
        setRetainedObject(info, object);
        center.post("N", object.get(), info);
    }
    ASSERT_TRUE(received);
    EXPECT_EQ(*received, "record");
    EXPECT_FALSE(wrongType);
    EXPECT_FALSE(watch.expired());
    received.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(retainedObject<QString>(QVariantMap{}));
}
