<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Обрезать изображение</translation>
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
        <translation>Конвертер изображений</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Правка</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Открыть рамку захвата</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Закрыть рамку захвата</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Выберите изображение</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Изображения</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Уведомление</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Файл сохранён</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>Изображение ещё не сохранено. Сохранить его?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>В папке update нет пакета прошивки, поэтому логотип не записан. Поместите туда пакет и сохраните снова.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Не удалось записать пакет прошивки. Проверьте, что папка update доступна для записи и пакет не повреждён.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>Не удалось преобразовать изображение; ничего не сохранено. Выберите другое изображение.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>В новейшем пакете прошивки нет записи загрузочного логотипа, поэтому логотип не записан. Используйте пакет с загрузочным логотипом.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>Для захвата экрана нужен рабочий стол с композитингом, а он не запущен. Рамка захвата будет чёрной, и «Сохранить» преобразует выбранную картинку вместо области рамки.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Сначала откройте изображение (Файл → Открыть), затем сохраните.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>Не удаётся прочитать изображение %1. Выберите изображение PNG, JPEG, GIF, BMP или XPM.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Не удаётся создать временную рабочую папку в %1: %2. Изображения не могут быть преобразованы. Убедитесь, что во временную папку можно записывать, и запустите программу снова.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>Изображение слишком большое: %1 x %2 пикселей. Допускается не более %3 мегапикселей; выберите изображение меньшего размера.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 не является обычным файлом и не может быть открыт как изображение. Выберите файл изображения.</translation>
    </message>
</context>
</TS>
