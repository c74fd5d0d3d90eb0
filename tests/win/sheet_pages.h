// Two page templates the property-sheet tests bring along.
#pragma once
#define TEST_PAGE_FIRST 9101
#define TEST_PAGE_SECOND 9102
#define TEST_PAGE_FIELD 9110
