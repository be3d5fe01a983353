#pragma once
// A small directory database in a temporary folder, filled by the test.

#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tsivor::test {

class DirectoryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QString error;
        directory::TDatabase db;
        ASSERT_TRUE(db.Open(dir.filePath("info.db"), directory::TDatabase::Mode::Create, &error))
            << error.toStdString();
        ASSERT_TRUE(directory::CreateSchema(db, directory::DirectoryTables(), &error))
            << error.toStdString();
        Fill(db);
        db.Close();
        ASSERT_TRUE(dm.OpenDirectory(dir.path(), &error)) << error.toStdString();
    }

    // Rubrics 1 Кафе, 2 Бары, 3 Рестораны, 4 Ёлочные игрушки, 5 Пустая (no links);
    // organisations 1 «Ёжик» (Кафе, Бары), 2 Альфа (Кафе), 3 бета (Рестораны, AutoLoad 2),
    // 4 Гамма (Ёлочные игрушки, AutoLoad 5).
    virtual void Fill(directory::TDatabase& db) {
        Exec(db, R"(INSERT INTO Topics VALUES (1,'Кафе'),(2,'Бары'),(3,'Рестораны'),
                    (4,'Ёлочные игрушки'),(5,'Пустая');
                    INSERT INTO Main (Id,Title,Memo,AutoLoad) VALUES
                    (1,'«Ёжик»','Кафе-бар у реки',0),(2,'Альфа','',0),(3,'бета','',2),
                    (4,'Гамма','',5);
                    INSERT INTO Jumps VALUES (1,1,1),(2,2,1),(3,1,2),(4,3,3),(5,4,4);
                    INSERT INTO Streets VALUES (1,'Ленина'),(2,'Мира');
                    INSERT INTO Adr VALUES (1,1,1,'','12А','',-1),(2,2,2,'','1','оф. 3',5),
                    (3,3,1,'','21','',-1),(4,4,2,'','10','',-1);
                    INSERT INTO Phones VALUES (1,1,'тел','3322211',''),(2,2,'факс','33221','');)");
    }

    static void Exec(directory::TDatabase& db, const char* sql) {
        QString error;
        ASSERT_TRUE(db.Exec(QString::fromUtf8(sql), &error)) << error.toStdString();
    }

    QTemporaryDir dir;
    directory::Tdm dm;
};

} // namespace tsivor::test
