// The undo history's promise: the last `limit` steps can be taken back, every one of them, and only
// the oldest beyond that are lost.
#include "gui/EditHistory.h"

#include "database/FloatObject.h"
#include "support/TestDocument.h"

#include <gtest/gtest.h>

TEST(EditHistoryLimit, KeepsExactlyTheLastLimitStepsAndDropsOnlyTheOldest) {
    TestDocument doc("<demo><float name=\"Speed\" value=\"0\"/></demo>");
    ASSERT_TRUE(doc.loaded);
    auto* speed = doc.find<FloatObject>("Speed", TypeFloat);
    ASSERT_NE(speed, nullptr);
    EditHistory history;
    history.activate();
    // One step more than kept: 0 -> 1 is the step that goes.
    for (int i = 1; i <= EditHistory::limit + 1; ++i) {
        EditHistory::beginEdit(speed);
        speed->setValue(static_cast<float>(i));
        EditHistory::endEdit();
    }
    int undone = 0;
    while (history.canUndo() && undone <= EditHistory::limit) {
        ASSERT_GE(history.undo(&doc.database), 0);
        ++undone;
    }
    EXPECT_EQ(undone, EditHistory::limit);
    EXPECT_EQ(speed->value, 1.0f) << "the oldest kept step did not start where it was made";
    EXPECT_EQ(history.undo(&doc.database), -1);
}
