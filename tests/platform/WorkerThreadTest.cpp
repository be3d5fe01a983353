#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

using tsivor::platform::TWorkerThread;

TEST(WorkerThread, RunsEveryJobOnOneOtherThread) {
    TWorkerThread worker;
    std::vector<std::thread::id> ranOn;
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) {
        worker.Start([&, i] {
            ranOn.push_back(std::this_thread::get_id());
            order.push_back(i);
        });
        worker.Wait();
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_EQ(ranOn.size(), 5u);
    for (const auto& id : ranOn) EXPECT_EQ(id, ranOn[0]);
    EXPECT_NE(ranOn[0], std::this_thread::get_id());
}

TEST(WorkerThread, AFailingJobThrowsFromWaitAndTheThreadGoesOn) {
    TWorkerThread worker;
    worker.Start([] { throw std::runtime_error("сбой"); });
    EXPECT_THROW(worker.Wait(), std::runtime_error);
    bool ran = false;
    worker.Start([&] { ran = true; });
    EXPECT_NO_THROW(worker.Wait());
    EXPECT_TRUE(ran);
}

TEST(WorkerThread, GoingAwayWaitsForTheRunningJob) {
    bool finished = false;
    {
        TWorkerThread worker;
        worker.Start([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            finished = true;
        });
    }
    EXPECT_TRUE(finished);
}
