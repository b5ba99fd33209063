-- Tables of data.Mdb. make-data runs this file, then fills the tables in source order (the program reads
-- them with "SELECT rowid,* ... ORDER BY rowid"). Names are quoted because two of them start with a digit.

-- Food categories, in the order the food tree shows them.
CREATE TABLE "02" (
    Name TEXT
);

-- Foods: Name is the category (equal to a Name of "02"), sz the kcal per 100 g edible portion.
CREATE TABLE "01" (
    Name  TEXT,
    Title TEXT,
    sz    TEXT
);

-- Recipes, exercises and tips: title and body.
CREATE TABLE sp (
    Name TEXT,
    demo TEXT
);

CREATE TABLE yd (
    Name TEXT,
    demo TEXT
);

CREATE TABLE xd (
    Name TEXT,
    demo TEXT
);

-- The user's diary; shipped empty.
CREATE TABLE rj (
    time DATETIME,
    demo TEXT,
    lb   REAL
);

-- The week plan, seven rows, Monday first.
CREATE TABLE plan (
    foodsport TEXT
);

-- Household units of the foods (一小碗, 一个, 一两 ...): Title is a Title of "01", g the grams of edible part the unit
-- holds (millilitres for a liquid, counted as grams), Measure the word the unit is shown with: 克 or 毫升.
-- Files made before this table existed open without it; the content upgrade adds it.
CREATE TABLE portions (
    Title   TEXT,
    Unit    TEXT,
    g       TEXT,
    Measure TEXT
);

-- The nutrients of a food per 100 g of edible part, from nutrients.tsv: protein, fat, carbohydrate and dietary fibre
-- in grams, sodium in milligrams; NULL where the table has no value. A food without a row has none known. Files made
-- before this table existed open without it; the content upgrade adds it.
CREATE TABLE nutrients (
    Title        TEXT,
    protein      REAL,
    fat          REAL,
    carbohydrate REAL,
    fibre        REAL,
    sodium       REAL
);

-- How each food's name is typed: one row per reading (a name with a polyphone has more than one), Pinyin one token
-- per character of Title, separated by spaces: the syllable without tone for a Chinese character, the letter or digit
-- itself (lower case, half-width) for one, "-" for any other character. Made by make-data; a file without it
-- still finds foods by their Chinese names.
CREATE TABLE food_search (
    Title  TEXT,
    Pinyin TEXT
);

-- The profile of 我的目标, one row once the user saves it: height in cm, sex 女 or 男, year of birth, goal weight in
-- jin, activity 1 (久坐) to 4 (重度活动), and the user's own daily kcal (NULL: the computed budget). Files made before
-- it lack it; the upgrade and the first save create it.
CREATE TABLE profile (
    height   REAL,
    sex      TEXT,
    born     INTEGER,
    goal     REAL,
    activity INTEGER,
    budget   INTEGER
);
