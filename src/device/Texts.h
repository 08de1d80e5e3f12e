#pragma once
// Every fixed text of the system, once. The Chinese texts are narrow GBK bytes (the system
// ANSI code page of the target desktop); a test checks each against the GBK encoding of its
// UTF-8 spelling, which stands beside it in the comment.

namespace texts {

// Property names.
inline constexpr char kPropWaitTime[] = "\xcd\xa8\xd1\xb6\xb5\xc8\xb4\xfd\xca\xb1\xbc\xe4";  // 通讯等待时间
inline constexpr char kPropMaxTags[] = "\xd7\xee\xb4\xf3\xb1\xea\xc7\xa9\xca\xfd";            // 最大标签数
inline constexpr char kPropAdsPort[] = "ADS_Port";
inline constexpr char kPropLocalNetId[] = "Local AMS NetId";
inline constexpr char kPropRemoteNetId[] = "Remote AMS NetId";
inline constexpr char kPropRemoteIp[] = "Remote Ip";

// Identity of the driver.
inline constexpr char kDriverName[] = "Beckhoff_ADS_Ethernet_Brevak";
inline constexpr char kDisplayName[] =
    "\xb1\xb6\xb8\xa3\x5f\x41\x44\x53\x5f\xd2\xd4\xcc\xab\xcd\xf8\x5f\x42\x72\x65\x76\x61\x6b";  // 倍福_ADS_以太网_Brevak
inline constexpr char kDescription[] = "this driver just for to test tag driver frame";
inline constexpr char kVersionText[] = "8.0.0.22";
inline constexpr char kRuntimeModuleU[] = "Beckhoff_ADS_Ethernet_BrevakU.drv";
inline constexpr char kRuntimeModuleE[] = "Beckhoff_ADS_Ethernet_BrevakE.drv";

// Commands and channel configuration.
inline constexpr char kTagImport[] = "\xb1\xea\xc7\xa9\xb5\xbc\xc8\xeb";      // 标签导入
inline constexpr char kTag[] = "\xb1\xea\xc7\xa9";                           // 标签
inline constexpr char kCommStatus[] = "\xcd\xa8\xd1\xb6\xd7\xb4\xcc\xac";     // 通讯状态

// Reports to the host.
inline constexpr char kTagInfoIncomplete[] =
    "\xb1\xea\xc7\xa9\xd0\xc5\xcf\xa2\xb2\xbb\xcd\xea\xd5\xfb\x2c\xc7\xeb\xc9\xbe\xb3\xfd\xcd\xa8\xb5\xc0\xbb\xf2\xd6\xd8"
    "\xd0\xc2\xb5\xbc\xc8\xeb\xb1\xea\xc7\xa9";  // 标签信息不完整,请删除通道或重新导入标签
inline constexpr char kChannelInfoIncomplete[] = "\xcd\xa8\xb5\xc0\xd0\xc5\xcf\xa2\xb2\xbb\xcd\xea\xd5\xfb";  // 通道信息不完整
inline constexpr char kPleaseReimport[] = "\xc7\xeb\xd6\xd8\xd0\xc2\xb5\xbc\xc8\xeb\xb1\xea\xc7\xa9";  // 请重新导入标签

// Messages of the tag import command.
inline constexpr char kChooseTpyFile[] = "\xc7\xeb\xd1\xa1\xd4\xf1\x74\x70\x79\xce\xc4\xbc\xfe";  // 请选择tpy文件
inline constexpr char kOpenTagFileFailed[] = "\xb4\xf2\xbf\xaa\xb1\xea\xc7\xa9\xce\xc4\xbc\xfe\xca\xa7\xb0\xdc";  // 打开标签文件失败
// Refusals of a tag tree that cannot be built; the previous tree stays.
inline constexpr char kTagTreeTooLarge[] =
    "\xb1\xea\xc7\xa9\xce\xc4\xbc\xfe\xd6\xd0\xb5\xc4\xb1\xea\xc7\xa9\xb9\xfd\xb6\xe0\xa3\xa8\xb3\xac\xb9\xfd\x32\x30\x30"
    "\x30\xcd\xf2\xb8\xf6\xbd\xda\xb5\xe3\xa3\xa9\xa3\xac\xce\xde\xb7\xa8\xb5\xbc\xc8\xeb";  // 标签文件中的标签过多（超过2000万个节点），无法导入
inline constexpr char kTagTreeCyclic[] =
    "\xb1\xea\xc7\xa9\xce\xc4\xbc\xfe\xd6\xd0\xb5\xc4\xca\xfd\xbe\xdd\xc0\xe0\xd0\xcd\xb0\xfc\xba\xac\xd7\xd4\xc9\xed\xa3"
    "\xac\xce\xde\xb7\xa8\xb5\xbc\xc8\xeb";  // 标签文件中的数据类型包含自身，无法导入
inline constexpr char kTagTreeNoMemory[] =
    "\xc4\xda\xb4\xe6\xb2\xbb\xd7\xe3\xa3\xac\xce\xde\xb7\xa8\xb5\xbc\xc8\xeb\xb1\xea\xc7\xa9\xce\xc4\xbc\xfe";  // 内存不足，无法导入标签文件

// The tag selection dialog.
inline constexpr char kDialogTitle[] = "\xb1\xea\xc7\xa9\xd1\xa1\xd4\xf1";      // 标签选择
inline constexpr char kFindNext[] = "\xb2\xe9\xd5\xd2\xcf\xc2\xd2\xbb\xb8\xf6";  // 查找下一个
inline constexpr char kKeepUnselected[] =
    "\xb1\xa3\xc1\xf4\xce\xb4\xd1\xa1\xd4\xf1\xb1\xea\xc7\xa9\xa3\xa8\xd7\xe9\xcc\xac\xca\xb1\xbf\xc9\xbc\xcc\xd0\xf8\xd1"
    "\xa1\xd4\xf1\xca\xb9\xd3\xc3\xa3\xa9";  // 保留未选择标签（组态时可继续选择使用）
inline constexpr char kOk[] = "\xc8\xb7\xb6\xa8";      // 确定
inline constexpr char kCancel[] = "\xc8\xa1\xcf\xfb";  // 取消
inline constexpr char kColumnTagName[] = "\xb1\xea\xc7\xa9\xc3\xfb\xb3\xc6";   // 标签名称
inline constexpr char kColumnDataType[] = "\xca\xfd\xbe\xdd\xc0\xe0\xd0\xcd";  // 数据类型
inline constexpr char kColumnComment[] = "\xb1\xea\xc7\xa9\xd7\xa2\xca\xcd";   // 标签注释
inline constexpr char kFontFace[] = "\xcb\xce\xcc\xe5";                         // 宋体
inline constexpr char kTooManyTags[] =
    "\xb5\xb1\xc7\xb0\xd1\xa1\xd4\xf1\xb1\xea\xc7\xa9\xca\xfd\xb4\xf3\xd3\xda\x31\x30\xcd\xf2\xb8\xf6\xa3\xac\xc7\xeb\xc8"
    "\xa5\xb3\xfd\xb2\xbf\xb7\xd6\xb1\xea\xc7\xa9\xba\xf3\xd4\xd9\xb3\xa2\xca\xd4\xa3\xa1";  // 当前选择标签数大于10万个，请去除部分标签后再尝试！
inline constexpr char kDefaultItem[] = "QORV Default item";

}  // namespace texts
