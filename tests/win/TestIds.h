#pragma once
// Ids of the test-only dialog template (testdialogs.rc).
constexpr int IDD_TEST_DIALOG = 1000;
constexpr int IDC_TEST_EDIT = 1001;
constexpr int IDC_TEST_CORNER = 1002;
