// A program folder of its own for each test: a fresh data.mdb made by the
// data module, which is the global DataForm while the test runs.
#pragma once
// (The data-access headers stay out: tests with windows include this.)
#include <memory>
#include "TempDir.h"
#include "uDataForm.h"
#include "gtest.h"

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs SQL on the data module's connection.
  void Exec(const String& sql);
  // The first column of the first row of a query ("" when none).
  String Scalar(const String& sql);
  // Logs the named user in the way the login dialog does.
  void LogIn(const String& name);
  TempDir Dir;
};
