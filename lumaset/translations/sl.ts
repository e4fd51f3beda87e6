<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sl_SI" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Obreži sliko</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>图片转换工具</source>
        <translation>Pretvornik slik</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Datoteka</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Odpri</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Shrani</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Izhod</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Urejanje</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Odpri okvir za zajem</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Zapri okvir za zajem</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Pomoč</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>O programu</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Izberite sliko</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Slike</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Obvestilo</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Datoteka je shranjena</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>V redu</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>Slika še ni shranjena. Jo želite shraniti?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Da</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Ne</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>V mapi update ni paketa vdelane programske opreme, zato logotip ni bil zapisan. Vanjo dodajte paket in znova shranite.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Zapisovanje paketa vdelane programske opreme ni uspelo. Preverite, ali je v mapo update mogoče pisati in ali je paket cel.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>Slike ni bilo mogoče pretvoriti; nič ni bilo shranjeno. Izberite drugo sliko.</translation>
    </message>
</context>
</TS>
