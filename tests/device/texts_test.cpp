#include "device/Texts.h"

#include <gtest/gtest.h>

#include "platform/Text.h"

namespace {

// Each fixed Chinese text is the GBK encoding of its spelling.
TEST(Texts, ChineseTextsAreGbkBytes) {
  const struct {
    const char* gbk;
    const char* utf8;
  } cases[] = {
      {texts::kPropWaitTime, "通讯等待时间"},
      {texts::kPropMaxTags, "最大标签数"},
      {texts::kDisplayName, "倍福_ADS_以太网_Brevak"},
      {texts::kTagImport, "标签导入"},
      {texts::kTag, "标签"},
      {texts::kCommStatus, "通讯状态"},
      {texts::kColumnChannelName, "通道名称"},
      {texts::kColumnReadWriteFlag, "通道的读写标志"},
      {texts::kTagInfoIncomplete, "标签信息不完整,请删除通道或重新导入标签"},
      {texts::kChannelInfoIncomplete, "通道信息不完整"},
      {texts::kPleaseReimport, "请重新导入标签"},
      {texts::kChooseTpyFile, "请选择tpy文件"},
      {texts::kOpenTagFileFailed, "打开标签文件失败"},
      {texts::kTagTreeTooLarge, "标签文件中的标签过多（超过2000万个节点），无法导入"},
      {texts::kTagTreeCyclic, "标签文件中的数据类型包含自身，无法导入"},
      {texts::kTagTreeNoMemory, "内存不足，无法导入标签文件"},
      {texts::kDialogTitle, "标签选择"},
      {texts::kFindNext, "查找下一个"},
      {texts::kKeepUnselected, "保留未选择标签（组态时可继续选择使用）"},
      {texts::kOk, "确定"},
      {texts::kCancel, "取消"},
      {texts::kColumnTagName, "标签名称"},
      {texts::kColumnDataType, "数据类型"},
      {texts::kColumnComment, "标签注释"},
      {texts::kFontFace, "宋体"},
      {texts::kTooManyTags, "当前选择标签数大于10万个，请去除部分标签后再尝试！"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.gbk, platform::WideToMultiByte(936, platform::Utf8ToWide(c.utf8))) << c.utf8;
}

}  // namespace
