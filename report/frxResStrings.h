// The built-in string table and help-topic table of the report engine (data only).
#pragma once

extern const char* const frxBuiltInStringTable;

struct TfrxHelpTopic {
  const char* FormClass;
  const char* Topic;
};
extern const TfrxHelpTopic frxHelpTopics[];
extern const int frxHelpTopicCount;
