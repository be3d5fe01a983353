// The table of tags to rubrics: key, value ("*" for any other value), rubric, picture of the
// "Default" library. Edit freely; the importer reads it at start.
#include "OsmRubrics.h"

namespace tsivor::importosm {

extern const char* const kRubricTable;
const char* const kRubricTable = R"(amenity	cafe	Кафе	19
amenity	restaurant	Рестораны	39
amenity	fast_food	Быстрое питание	39
amenity	bar	Бары	19
amenity	pub	Бары	19
amenity	pharmacy	Аптеки	15
amenity	hospital	Больницы	14
amenity	clinic	Поликлиники	14
amenity	doctors	Медицинские центры	14
amenity	dentist	Стоматология	14
amenity	veterinary	Ветеринарные клиники	51
amenity	bank	Банки	38
amenity	atm	Банкоматы	48
amenity	bureau_de_change	Обмен валюты	48
amenity	post_office	Почта	20
amenity	school	Школы	31
amenity	kindergarten	Детские сады	31
amenity	college	Колледжи и техникумы	31
amenity	university	Высшие учебные заведения	31
amenity	library	Библиотеки	31
amenity	cinema	Кинотеатры	36
amenity	theatre	Театры	36
amenity	arts_centre	Дома культуры	36
amenity	community_centre	Дома культуры	36
amenity	place_of_worship	Храмы	32
amenity	police	Полиция	40
amenity	fire_station	Пожарная охрана	35
amenity	townhall	Администрация	38
amenity	courthouse	Суды	38
amenity	fuel	АЗС	17
amenity	car_wash	Автомойки	26
amenity	parking	Стоянки	13
amenity	taxi	Такси	46
amenity	bus_station	Автовокзалы	18
amenity	marketplace	Рынки	16
amenity	*	Услуги	12
shop	supermarket	Супермаркеты	16
shop	convenience	Продукты	16
shop	bakery	Хлеб и выпечка	16
shop	butcher	Мясо	16
shop	greengrocer	Овощи и фрукты	16
shop	alcohol	Алкогольные напитки	16
shop	clothes	Одежда	16
shop	shoes	Обувь	16
shop	hairdresser	Парикмахерские	25
shop	beauty	Салоны красоты	25
shop	florist	Цветы	16
shop	books	Книги	31
shop	electronics	Электроника	16
shop	mobile_phone	Сотовая связь	21
shop	hardware	Хозяйственные товары	16
shop	doityourself	Строительные материалы	16
shop	furniture	Мебель	16
shop	car	Автосалоны	26
shop	car_repair	Автосервис	34
shop	car_parts	Автозапчасти	26
shop	optician	Оптика	14
shop	jewelry	Ювелирные изделия	16
shop	kiosk	Киоски	16
shop	*	Магазины	16
office	government	Государственные учреждения	38
office	insurance	Страхование	38
office	lawyer	Юридические услуги	22
office	estate_agent	Недвижимость	22
office	*	Офисы и компании	22
tourism	hotel	Гостиницы	30
tourism	motel	Гостиницы	30
tourism	hostel	Гостиницы	30
tourism	guest_house	Гостиницы	30
tourism	museum	Музеи	38
tourism	gallery	Галереи	38
tourism	information	Справочные службы	12
tourism	attraction	Достопримечательности	25
tourism	*	Туризм	25
leisure	sports_centre	Спортивные клубы	37
leisure	fitness_centre	Фитнес-центры	37
leisure	stadium	Стадионы	37
leisure	swimming_pool	Бассейны	24
leisure	*	Отдых и развлечения	37
healthcare	*	Медицина	14
craft	*	Мастерские	34
)";

} // namespace tsivor::importosm
